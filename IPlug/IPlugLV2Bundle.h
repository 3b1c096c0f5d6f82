#pragma once
// What an LV2 bundle says of its plug-ins beyond their parameter records: URIs, audio
// layouts, meter outputs and state keys. The adapter and the Turtle writer both read
// it, so the ports a host is told of are the ports the binary serves.
//
// Port order of every plug-in: audio inputs, audio outputs, one control input per
// parameter in index order, the meter outputs, the latency output.

class IPlugLV2;

struct IPlugLV2Meter
{
  const char* symbol;
  const char* name;
  double minimum, maximum;
  // A block the adapter cuts into pieces reads the lowest of its pieces' readings (gain
  // reductions) rather than the highest (peaks).
  bool lowestOverPieces;
};

struct IPlugLV2Plugin
{
  const char* uri;  // never changes once released: hosts and sessions keep it
  const char* name; // shown by hosts
  int nChannels;    // audio inputs, and as many outputs
  const IPlugLV2Meter* meters;
  int nMeters;
  // Writes the plug-in's readings of its last processed block, one per meter.
  void (*readMeters)(const IPlugLV2* plug, float* values);
  const char* uiUri; // the plug-in's editor (an X11 UI in the bundle's uiBinary), or null
};

// A remark a host may show beside a control port, or null.
struct IPlugLV2PortComment
{
  int paramIdx;
  const char* comment;
};

// A factory preset the bundle ships: parameter values in real units (a switch or a list
// by its index), set in the order given on a plug-in as constructed, as host automation
// sets them; the rest keep their defaults.
struct IPlugLV2PresetValue
{
  int paramIdx;
  double value;
};

struct IPlugLV2Preset
{
  const char* uri;     // never changes once released: hosts keep it in their sessions
  const char* file;    // inside the bundle, such as "presets/vocal-strip.ttl"
  const char* label;   // shown by hosts
  const char* comment; // what it is for, or null
  const IPlugLV2PresetValue* values;
  int nValues;
};

struct IPlugLV2Bundle
{
  const char* binary;          // file name of the shared object inside the bundle
  const char* pluginTtl;       // file name of the plug-ins' description
  const char* stateKey;        // URI under which the parameter state chunk is saved
  const char* stateVersionKey; // URI of the chunk's format version (an atom:Int)
  int stateVersion;
  const char* const* classes; // lv2 plug-in classes beyond lv2:Plugin, e.g. "lv2:EQPlugin"
  int nClasses;
  const IPlugLV2Plugin* plugins;
  int nPlugins;
  const IPlugLV2PortComment* comments;
  int nComments;
  const IPlugLV2Preset* presets; // every preset applies to every plug-in of the bundle
  int nPresets;
  IPlugLV2* (*makePlug)();
  const char* uiBinary; // file name of the editors' shared object, or null
};

// Port indices of a plug-in with nParams parameters.
struct IPlugLV2Ports
{
  int nChannels, nParams, nMeters;

  int AudioIn(int c) const { return c; }
  int AudioOut(int c) const { return nChannels + c; }
  int Control(int paramIdx) const { return 2 * nChannels + paramIdx; }
  int Meter(int m) const { return 2 * nChannels + nParams + m; }
  int Latency() const { return 2 * nChannels + nParams + nMeters; }
  int Count() const { return Latency() + 1; }
};
