#pragma once
// Reads an LV2 preset file (Turtle) as a host does, and works out what a plug-in holds
// once a host has restored it: the state the plug-in saved, then every control port
// whose value disagrees with that state, as the LV2 adapter takes them.

#include "IPlug/ByteChunk.h"
#include "IPlug/IPlugLV2Preset.h"

#include <string>
#include <utility>
#include <vector>

class IPlugBase;

// A preset as the file states it; nothing is checked against a plug-in yet.
struct LV2PresetFile
{
  std::string uri; // the preset's subject: the file's own URI for a preset saved by a host
  std::string label;
  std::vector<std::string> appliesTo;
  std::vector<std::pair<std::string, float>> ports; // symbol and value, in no particular order
  bool hasState = false;   // the state holds the target's state key
  ByteChunk chunk;         // its bytes
  bool hasVersion = false; // the state holds the target's version key as an xsd:int
  long long version = 0;
};

// Larger files are refused unread: a preset is a few kilobytes.
constexpr int kLV2PresetMaxFileBytes = 1 << 20;

// False, with problem saying what is wrong (without the path), when the file cannot be
// read, is not Turtle, does not hold exactly one preset, or when a port's value or the
// state's values are not of the kinds the plug-in reads.
bool ReadLV2Preset(const std::string& path, const LV2PresetTarget& target, LV2PresetFile* preset,
                   std::string* problem);

// Restores preset on plug, a plug-in as constructed (asConstructed is another, for the
// ports' scales), and writes the parameter state chunk it then holds: the preset's own
// chunk, exactly, when no port disagrees with it. False, with problem, when the preset
// is for another plug-in or its state is not one the plug-in accepts; plug is then
// unchanged.
bool RestoreLV2Preset(const LV2PresetFile& preset, const LV2PresetTarget& target, IPlugBase* plug,
                      const IPlugBase& asConstructed, ByteChunk* chunk, std::string* problem);
