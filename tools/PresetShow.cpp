#include "tools/PresetShow.h"

#include "host/AUPresetFile.h"
#include "tools/ParamList.h"
#include "tools/PresetFiles.h"
#include "tools/StripHost.h"

#include <vector>

namespace
{
std::string Status(OSStatus r) { return "(status " + std::to_string((int) r) + ")"; }

// A name from a file stays on its line.
std::string OneLine(std::string text)
{
  for (char& c : text)
    if ((unsigned char) c < 0x20) c = ' ';
  return text;
}
} // namespace

bool ShowPreset(const std::string& path, FILE* out, std::string* error)
{
  StripHost host;
  if (!host.Open(error)) return false;
  AUPresetFile preset;
  if (!ReadPresetState(path, &preset, error) || !host.LoadPreset(preset, path, error)) return false;

  AUHostUnit& unit = host.Unit();
  std::vector<AudioUnitParameterID> ids;
  OSStatus r = unit.GetParameterList(&ids);
  std::vector<std::string> rows;
  for (size_t i = 0; r == noErr && i < ids.size(); ++i)
  {
    const AudioUnitParameterID id = ids[i];
    AUParamInfo info;
    AudioUnitParameterValue value = 0.0f;
    r = unit.GetParameterInfo(id, &info);
    if (r == noErr) r = unit.GetParameter(id, &value);
    if (r != noErr) break;
    // A parameter with value strings shows its string; the others their number.
    std::vector<std::string> strings;
    std::string text;
    if (unit.GetValueStrings(id, &strings) != noErr || strings.empty() ||
        unit.StringFromValue(id, &value, &text) != noErr || text.empty())
      text = FormatFloat(value);
    const std::string label = info.unit == kAudioUnitParameterUnit_CustomUnit ? info.unitName : "";
    rows.push_back(std::to_string(id) + "\t\"" + info.name + "\"\t" + text + "\t\"" + label + "\"");
  }
  if (r != noErr)
  {
    *error = "cannot read the strip's parameters " + Status(r);
    return false;
  }

  fprintf(out, "name\t\"%s\"\n", OneLine(preset.Name()).c_str());
  for (const std::string& row : rows) fprintf(out, "%s\n", row.c_str());
  if (fflush(out) != 0 || ferror(out))
  {
    *error = "cannot write the preset to the output";
    return false;
  }
  return true;
}
