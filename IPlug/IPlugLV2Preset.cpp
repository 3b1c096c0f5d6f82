#include "IPlug/IPlugLV2Preset.h"

#include "IPlug/Base64.h"
#include "IPlug/IPlugBase.h"
#include "IPlug/IPlugLV2Ttl.h"
#include "IPlug/LV2PortScale.h"
#include "IPlug/WDL/WDL_String.h"

namespace
{
const char* const kPresetPrefixes =
    "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix xsd:   <http://www.w3.org/2001/XMLSchema#> .\n";

std::string Subject(const std::string& uri) { return "<" + uri + ">"; }

std::string AppliesTo(const LV2PresetTarget& target)
{
  std::string t = "\tlv2:appliesTo ";
  for (size_t i = 0; i < target.pluginURIs.size(); ++i) t += (i ? " , " : "") + Subject(target.pluginURIs[i]);
  return t + " ;\n";
}
} // namespace

LV2PresetTarget LV2PresetTarget::Of(const IPlugLV2Bundle& bundle)
{
  LV2PresetTarget t;
  for (int i = 0; i < bundle.nPlugins; ++i) t.pluginURIs.push_back(bundle.plugins[i].uri);
  t.stateKey = bundle.stateKey;
  t.stateVersionKey = bundle.stateVersionKey;
  t.stateVersion = bundle.stateVersion;
  return t;
}

std::string LV2PresetTtl(const LV2PresetTarget& target, const std::string& uri, const std::string& label,
                         const std::string& comment, const ByteChunk& chunk, IPlugBase* plug,
                         const IPlugBase& asConstructed)
{
  // What the values read back as can differ in the last bit from what was saved; the
  // ports must agree with what the plug-in holds after the restore.
  plug->UnserializeParams(&chunk, 0);
  std::string t = std::string(kPresetPrefixes) + "\n" + Subject(uri) + "\n\ta pset:Preset ;\n";
  t += AppliesTo(target);
  t += "\trdfs:label " + LV2Quoted(label.c_str()) + " ;\n";
  if (!comment.empty()) t += "\trdfs:comment " + LV2Quoted(comment.c_str()) + " ;\n";
  const int n = plug->NParams() < asConstructed.NParams() ? plug->NParams() : asConstructed.NParams();
  for (int i = 0; i < n; ++i)
  {
    const IParam* p = plug->GetParam(i);
    const float v = LV2PortScale::Of(*asConstructed.GetParam(i)).PortValue(*p);
    t += i ? " , [\n" : "\tlv2:port [\n";
    t += "\t\tlv2:symbol " + LV2Quoted(LV2SymbolFromName(p->GetNameForHost()).c_str()) + " ;\n";
    t += "\t\tpset:value " + LV2Decimal(v) + "\n\t]";
  }
  if (n > 0) t += " ;\n";
  WDL_String data;
  Base64Encode(chunk.GetData(), chunk.Size(), &data);
  t += "\tstate:state [\n";
  t += "\t\t" + Subject(target.stateVersionKey) + " \"" + std::to_string(target.stateVersion) + "\"^^xsd:int ;\n";
  t += "\t\t" + Subject(target.stateKey) + " \"" + data.Get() + "\"^^xsd:base64Binary\n";
  t += "\t] .\n";
  return t;
}

std::string LV2PresetManifestEntry(const LV2PresetTarget& target, const IPlugLV2Preset& preset)
{
  std::string t = "\n" + Subject(preset.uri) + "\n\ta pset:Preset ;\n";
  t += AppliesTo(target);
  t += "\trdfs:label " + LV2Quoted(preset.label) + " ;\n";
  t += "\trdfs:seeAlso <" + std::string(preset.file) + "> .\n";
  return t;
}

bool ApplyLV2FactoryPreset(const IPlugLV2Preset& preset, IPlugBase* plug, std::string* error)
{
  IMutexLock lock(plug);
  for (int k = 0; k < preset.nValues; ++k)
  {
    const IPlugLV2PresetValue& v = preset.values[k];
    IParam* p = plug->GetParam(v.paramIdx);
    if (!p)
    {
      *error = std::string("preset \"") + preset.label + "\" sets parameter " + std::to_string(v.paramIdx) +
               ", which does not exist";
      return false;
    }
    if (!(v.value >= p->GetMin() && v.value <= p->GetMax()))
    {
      *error = std::string("preset \"") + preset.label + "\" sets \"" + p->GetNameForHost() + "\" to " +
               std::to_string(v.value) + ", outside its range " + std::to_string(p->GetMin()) + " to " +
               std::to_string(p->GetMax());
      return false;
    }
    p->Set(v.value);
    plug->OnParamChange(v.paramIdx);
  }
  return true;
}
