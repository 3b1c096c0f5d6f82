#pragma once
// LV2 presets: the Turtle a host loads a preset from - the control ports' values and the
// state the plug-in saves - written from a plug-in's parameters, and the factory presets
// of a bundle, made on a plug-in as constructed.

#include "IPlug/ByteChunk.h"
#include "IPlug/IPlugLV2Bundle.h"

#include <string>
#include <vector>

class IPlugBase;

// Whom a preset is for and where its state goes: what a bundle says of its plug-ins.
struct LV2PresetTarget
{
  std::vector<std::string> pluginURIs; // the plug-ins a preset applies to
  std::string stateKey, stateVersionKey;
  int stateVersion = 0;

  static LV2PresetTarget Of(const IPlugLV2Bundle& bundle);
};

// The Turtle of one preset. uri names it; when empty the preset is the file itself (<>),
// as hosts save theirs. chunk is the parameter state chunk. The ports' values are what
// the plug-in reports once it has restored the chunk, so that a host restoring both
// leaves the chunk's exact values in force: plug is a plug-in as constructed, on which
// the chunk is restored, and asConstructed another, whose ranges are the ports' scales.
std::string LV2PresetTtl(const LV2PresetTarget& target, const std::string& uri, const std::string& label,
                         const std::string& comment, const ByteChunk& chunk, IPlugBase* plug,
                         const IPlugBase& asConstructed);

// The manifest's entry for a factory preset of the bundle.
std::string LV2PresetManifestEntry(const LV2PresetTarget& target, const IPlugLV2Preset& preset);

// Sets a factory preset's values on plug, a plug-in as constructed, as host automation
// sets them (the value stored, then OnParamChange). False with a message when a value
// names no parameter or lies outside the parameter's range at that point.
bool ApplyLV2FactoryPreset(const IPlugLV2Preset& preset, IPlugBase* plug, std::string* error);
