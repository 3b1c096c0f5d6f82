#include "tools/Info.h"

#include "host/AUPresetFile.h"
#include "tools/OstrakonComponent.h"
#include "tools/ParamList.h"
#include "tools/StripHost.h"

#include <vector>

namespace
{
std::string Status(OSStatus r) { return "(status " + std::to_string((int) r) + ")"; }

std::string UnitText(const AUParamInfo& info)
{
  switch (info.unit)
  {
    case kAudioUnitParameterUnit_Generic: return "generic";
    case kAudioUnitParameterUnit_Indexed: return "indexed";
    case kAudioUnitParameterUnit_Boolean: return "boolean";
    case kAudioUnitParameterUnit_CustomUnit: return "custom \"" + info.unitName + "\"";
    default: return "unit " + std::to_string(info.unit);
  }
}
} // namespace

bool PrintInfo(FILE* out, std::string* error)
{
  StripHost host;
  if (!host.Open(error)) return false;
  AUHostUnit& unit = host.Unit();

  ComponentDescription cd;
  OSStatus r = unit.GetDescription(&cd);
  std::vector<AUChannelInfo> layouts;
  if (r == noErr) r = unit.GetSupportedChannels(&layouts);
  std::vector<AudioUnitParameterID> ids;
  if (r == noErr) r = unit.GetParameterList(&ids);
  if (r != noErr)
  {
    *error = "cannot read the strip's properties " + Status(r);
    return false;
  }

  const long version = unit.GetVersion();
  std::string channels;
  for (const AUChannelInfo& l : layouts)
    channels +=
        (channels.empty() ? "" : " ") + std::to_string(l.inChannels) + "-" + std::to_string(l.outChannels);
  fprintf(out, "name\t%s\n", OstrakonComponent().Name().c_str());
  fprintf(out, "version\t%ld.%ld.%ld (0x%08lx)\n", (version >> 16) & 0xffff, (version >> 8) & 0xff,
          version & 0xff, (unsigned long) version & 0xffffffffUL);
  fprintf(out, "type\t%s\n", FourCCString(cd.componentType).c_str());
  fprintf(out, "subtype\t%s\n", FourCCString(cd.componentSubType).c_str());
  fprintf(out, "manufacturer\t%s\n", FourCCString(cd.componentManufacturer).c_str());
  fprintf(out, "channels\t%s\n", channels.c_str());
  fprintf(out, "parameters\t%zu\n", ids.size());

  for (AudioUnitParameterID id : ids)
  {
    AUParamInfo info;
    r = unit.GetParameterInfo(id, &info);
    if (r != noErr)
    {
      *error = "cannot read parameter " + std::to_string(id) + "'s information " + Status(r);
      return false;
    }
    std::vector<std::string> strings;
    std::string texts;
    // Parameters without value strings answer with an error, which is their answer.
    if (unit.GetValueStrings(id, &strings) == noErr)
      for (size_t i = 0; i < strings.size(); ++i) texts += (i ? ", \"" : "\"") + strings[i] + "\"";
    fprintf(out, "%u\t\"%s\"\t%s\t%s\t%s\t%s\t%s\n", (unsigned) id, info.name.c_str(), UnitText(info).c_str(),
            FormatFloat(info.minValue).c_str(), FormatFloat(info.maxValue).c_str(),
            FormatFloat(info.defaultValue).c_str(), texts.c_str());
  }
  if (fflush(out) != 0 || ferror(out))
  {
    *error = "cannot write the information to the output";
    return false;
  }
  return true;
}
