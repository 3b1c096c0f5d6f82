#pragma once
// What a command sets the strip to before it works: a preset file, then NAME=VALUE
// settings in order. Read and checked before any other file is touched, applied once
// the strip is prepared. Shared by render, snapshot and editor.

#include "host/AUPresetFile.h"
#include "tools/ParamSetting.h"

#include <string>
#include <vector>

class StripHost;

struct StripSettings
{
  std::string presetPath;             // restored first (.aupreset, .fxp or .ttl); empty for none
  std::vector<ParamSetting> settings; // then these, in order

  // Takes "--preset FILE" and "--set P=V" (name without the value); false with an
  // error for a bad value, and *taken false for any other option.
  bool TakeOption(const std::string& name, const std::string& value, bool* taken, std::string* error);
};

class PendingStripSettings
{
public:
  // The parameters named exist and the preset reads and belongs to the strip. Values
  // need the current ranges and are checked as they are applied.
  bool Check(StripHost& host, const StripSettings& settings, std::string* error);
  // After the host prepared the strip.
  bool Apply(StripHost& host, std::string* error);

private:
  StripSettings mSettings;
  AUPresetFile mPreset;
};

// The strip's state as the bytes of a preset file of the kind path's extension names
// (.aupreset, .fxp or .ttl; any other an XML .aupreset), for --save-preset.
bool EncodeStripState(StripHost& host, const std::string& path, std::string* bytes, std::string* error);
