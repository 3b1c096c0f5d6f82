#pragma once
// The strip's presets in the three kinds of file the command line reads and writes, told
// apart by extension: .aupreset (a Mac host's property list, XML or binary), .fxp (a VST
// program file) and .ttl (an LV2 preset: the control ports' values and the state chunk).
// Between .aupreset and .ttl every value travels exactly; a program file holds values in
// single precision.

#include "host/AUPresetFile.h"

#include <string>
#include <vector>

enum class PresetKind
{
  kAUPreset,
  kProgram,
  kLV2
};

// The kind an extension names (any case: .aupreset, .fxp, .ttl); false for any other.
bool PresetKindOf(const std::string& path, PresetKind* kind);

// A preset as the strip restores it.
struct StripPreset
{
  std::string name;           // valid UTF-8; may be empty
  std::vector<double> values; // the parameter state chunk: one normalised value per parameter
};

// Reads a preset of the strip: .fxp and .ttl files by their extension, any other as an
// .aupreset. The values are those the strip holds once it has restored the file on its
// defaults: a value the file lacks, or that is no number, is the default's; values
// outside 0..1 are held to that range. False, with one line naming the file, when the
// file cannot be read or is not a preset of the strip.
bool ReadStripPreset(const std::string& path, StripPreset* preset, std::string* error);

// The bytes of a file of the given kind. A program file or an LV2 preset needs a name;
// an unnamed preset takes fallbackName.
bool EncodeStripPreset(PresetKind kind, const StripPreset& preset, const std::string& fallbackName,
                       std::string* bytes, std::string* error);

// The state the host library restores, from a file of any kind: an .aupreset as it is,
// the others made from their values (see ReadStripPreset).
bool ReadPresetState(const std::string& path, AUPresetFile* state, std::string* error);
// The bytes of a file holding state, of the kind the path's extension names; any other
// extension gives an XML .aupreset.
bool EncodePresetState(const std::string& path, const AUPresetFile& state, std::string* bytes,
                       std::string* error);

// `ostrakon preset convert IN OUT`: IN read as ReadStripPreset reads it, OUT written as
// its extension says (which must be one of the three), replacing OUT only when complete.
bool ConvertPresetFile(const std::string& inPath, const std::string& outPath, std::string* error);

// The stem of a path's file name: "vocal" for "/tmp/vocal.fxp".
std::string FileStem(const std::string& path);
