#include "IPlug/IPlugLV2Ttl.h"

#include "IPlug/IPlugBase.h"
#include "IPlug/IPlugLV2.h"
#include "IPlug/IPlugLV2Preset.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

namespace
{
const char* const kPrefixes =
    "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n";

const char* const kPluginPrefixes =
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n";

std::string Int(int v) { return std::to_string(v); }

// The units vocabulary's term for a parameter label, or null.
const char* UnitFor(const char* label)
{
  static const struct
  {
    const char* label;
    const char* unit;
  } kUnits[] = {{"Hz", "units:hz"}, {"kHz", "units:khz"}, {"dB", "units:db"}, {"ms", "units:ms"},
                {"s", "units:s"},   {"%", "units:pc"}};
  for (const auto& u : kUnits)
    if (label && !strcmp(label, u.label)) return u.unit;
  return nullptr;
}

const char* CommentFor(const IPlugLV2Bundle& bundle, int paramIdx)
{
  for (int i = 0; i < bundle.nComments; ++i)
    if (bundle.comments[i].paramIdx == paramIdx) return bundle.comments[i].comment;
  return nullptr;
}

struct PortWriter
{
  std::string text;
  bool first = true;

  void Open(const char* types, int index, const std::string& symbol, const char* name)
  {
    text += first ? "\tlv2:port [\n" : " , [\n";
    first = false;
    text += std::string("\t\ta ") + types + " ;\n";
    text += "\t\tlv2:index " + Int(index) + " ;\n";
    text += "\t\tlv2:symbol " + LV2Quoted(symbol.c_str()) + " ;\n";
    text += "\t\tlv2:name " + LV2Quoted(name);
  }
  void Line(const std::string& line) { text += " ;\n\t\t" + line; }
  void Close() { text += "\n\t]"; }
};

std::string AudioName(const char* what, int c, int nCh)
{
  if (nCh == 1) return what;
  if (nCh == 2) return std::string(what) + (c == 0 ? " L" : " R");
  return std::string(what) + " " + Int(c + 1);
}

bool HasUI(const IPlugLV2Bundle& bundle, const IPlugLV2Plugin& plugin)
{
  return bundle.uiBinary && plugin.uiUri;
}

// The editor: an X11 window inside the host's (ui:parent) or of its own (the show
// interface), driven by the host's idle calls, of a fixed size it announces; it talks
// to the plug-in through ports only, so a host may run it in another process.
std::string UITtl(const IPlugLV2Plugin& plugin)
{
  std::string t = "\n<" + std::string(plugin.uiUri) + ">\n";
  t += "\ta ui:X11UI ;\n";
  t += "\tlv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:idleInterface , ui:noUserResize , "
       "urid:map , opts:options ;\n";
  t += "\tlv2:extensionData ui:idleInterface , ui:showInterface ;\n";
  t += "\topts:supportedOption ui:scaleFactor , ui:windowTitle";
  // The meters: the host sends every reading of the plug-in's meter outputs.
  for (int m = 0; m < plugin.nMeters; ++m)
  {
    t += m ? " , [\n" : " ;\n\tui:portNotification [\n";
    t += "\t\tui:plugin <" + std::string(plugin.uri) + "> ;\n";
    t += "\t\tlv2:symbol " + LV2Quoted(plugin.meters[m].symbol) + " ;\n";
    t += "\t\tui:notifyType ui:floatProtocol\n\t]";
  }
  return t + " .\n";
}

std::string AudioSymbol(const char* what, int c, int nCh)
{
  if (nCh == 1) return what;
  if (nCh == 2) return std::string(what) + (c == 0 ? "_l" : "_r");
  return std::string(what) + "_" + Int(c + 1);
}
} // namespace

std::string LV2Quoted(const char* text)
{
  std::string s = "\"";
  for (const char* c = text ? text : ""; *c; ++c)
  {
    if (*c == '"' || *c == '\\') s += '\\';
    if (*c == '\n')
      s += "\\n";
    else if (*c == '\r')
      s += "\\r";
    else
      s += *c;
  }
  return s + "\"";
}

// A decimal Turtle reads back as the same single-precision value a host stores.
std::string LV2Decimal(double v)
{
  char buf[48];
  snprintf(buf, sizeof buf, "%.9g", (double) (float) v);
  std::string s = buf;
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

std::string LV2SymbolFromName(const char* name)
{
  std::string s;
  bool gap = false;
  for (const char* c = name ? name : ""; *c; ++c)
  {
    const unsigned char ch = (unsigned char) *c;
    if (isalnum(ch) && ch < 0x80)
    {
      if (gap && !s.empty()) s += '_';
      gap = false;
      s += (char) tolower(ch);
    }
    else
      gap = true;
  }
  // A symbol cannot start with a digit.
  if (!s.empty() && isdigit((unsigned char) s[0])) s.insert(0, "_");
  return s;
}

std::string LV2ManifestTtl(const IPlugLV2Bundle& bundle)
{
  std::string t = kPrefixes;
  if (bundle.nPresets > 0) t += "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n";
  for (int i = 0; i < bundle.nPlugins; ++i)
  {
    t += "\n<" + std::string(bundle.plugins[i].uri) + ">\n";
    t += "\ta lv2:Plugin ;\n";
    t += "\tlv2:binary <" + std::string(bundle.binary) + "> ;\n";
    t += "\trdfs:seeAlso <" + std::string(bundle.pluginTtl) + "> .\n";
  }
  for (int i = 0; i < bundle.nPlugins; ++i)
  {
    if (!HasUI(bundle, bundle.plugins[i])) continue;
    t += "\n<" + std::string(bundle.plugins[i].uiUri) + ">\n";
    t += "\ta ui:X11UI ;\n";
    t += "\tlv2:binary <" + std::string(bundle.uiBinary) + "> ;\n";
    t += "\trdfs:seeAlso <" + std::string(bundle.pluginTtl) + "> .\n";
  }
  const LV2PresetTarget target = LV2PresetTarget::Of(bundle);
  for (int i = 0; i < bundle.nPresets; ++i) t += LV2PresetManifestEntry(target, bundle.presets[i]);
  return t;
}

std::string LV2PluginsTtl(const IPlugLV2Bundle& bundle, const IPlugBase& plug, std::string* error)
{
  int major = 0, minor = 0, micro = 0;
  GetVersionParts(plug.GetEffectVersion(false), &major, &minor, &micro);

  std::string t = std::string(kPrefixes) + kPluginPrefixes;
  for (int pi = 0; pi < bundle.nPlugins; ++pi)
  {
    const IPlugLV2Plugin& plugin = bundle.plugins[pi];
    const IPlugLV2Ports ports = {plugin.nChannels, plug.NParams(), plugin.nMeters};
    std::set<std::string> symbols;
    auto symbol = [&](const std::string& s) {
      if (s.empty() || !symbols.insert(s).second)
      {
        if (error && error->empty()) *error = "port symbol \"" + s + "\" is empty or not unique in " + plugin.uri;
      }
      return s;
    };

    t += "\n<" + std::string(plugin.uri) + ">\n";
    t += "\ta lv2:Plugin , doap:Project";
    for (int c = 0; c < bundle.nClasses; ++c) t += std::string(" , ") + bundle.classes[c];
    t += " ;\n";
    t += "\tdoap:name " + LV2Quoted(plugin.name) + " ;\n";
    t += "\tdoap:maintainer [\n\t\tfoaf:name " + LV2Quoted(plug.GetMfrName()) + "\n\t] ;\n";
    t += "\tlv2:minorVersion " + Int(minor) + " ;\n";
    t += "\tlv2:microVersion " + Int(micro) + " ;\n";
    t += "\tlv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n";
    t += "\topts:supportedOption bufsz:maxBlockLength ;\n";
    t += "\tlv2:extensionData state:interface ;\n";
    if (HasUI(bundle, plugin)) t += "\tui:ui <" + std::string(plugin.uiUri) + "> ;\n";

    PortWriter w;
    for (int c = 0; c < plugin.nChannels; ++c)
    {
      w.Open("lv2:AudioPort , lv2:InputPort", ports.AudioIn(c), symbol(AudioSymbol("in", c, plugin.nChannels)),
             AudioName("Input", c, plugin.nChannels).c_str());
      w.Close();
    }
    for (int c = 0; c < plugin.nChannels; ++c)
    {
      w.Open("lv2:AudioPort , lv2:OutputPort", ports.AudioOut(c),
             symbol(AudioSymbol("out", c, plugin.nChannels)), AudioName("Output", c, plugin.nChannels).c_str());
      w.Close();
    }
    for (int i = 0; i < plug.NParams(); ++i)
    {
      const IParam* p = plug.GetParam(i);
      w.Open("lv2:InputPort , lv2:ControlPort", ports.Control(i), symbol(LV2SymbolFromName(p->GetNameForHost())),
             p->GetNameForHost());
      w.Line("lv2:default " + LV2Decimal(p->GetDefault()));
      w.Line("lv2:minimum " + LV2Decimal(p->GetMin()));
      w.Line("lv2:maximum " + LV2Decimal(p->GetMax()));
      switch (p->Type())
      {
        case IParam::kTypeInt: w.Line("lv2:portProperty lv2:integer"); break;
        case IParam::kTypeBool: w.Line("lv2:portProperty lv2:toggled"); break;
        case IParam::kTypeEnum:
        {
          w.Line("lv2:portProperty lv2:integer , lv2:enumeration");
          std::string points = "lv2:scalePoint ";
          for (int k = 0; k < p->GetNDisplayTexts(); ++k)
          {
            double value = 0.0;
            const char* text = p->GetDisplayTextAtIdx(k, &value);
            points += std::string(k ? " , " : "") + "[\n\t\t\trdfs:label " + LV2Quoted(text) +
                      " ;\n\t\t\trdf:value " + Int((int) value) + "\n\t\t]";
          }
          w.Line(points);
          break;
        }
        default: break;
      }
      if (const char* unit = UnitFor(p->GetLabel())) w.Line(std::string("units:unit ") + unit);
      if (const char* comment = CommentFor(bundle, i)) w.Line("rdfs:comment " + LV2Quoted(comment));
      w.Close();
    }
    for (int m = 0; m < plugin.nMeters; ++m)
    {
      const IPlugLV2Meter& meter = plugin.meters[m];
      w.Open("lv2:OutputPort , lv2:ControlPort", ports.Meter(m), symbol(meter.symbol), meter.name);
      w.Line("lv2:minimum " + LV2Decimal(meter.minimum));
      w.Line("lv2:maximum " + LV2Decimal(meter.maximum));
      w.Close();
    }
    w.Open("lv2:OutputPort , lv2:ControlPort", ports.Latency(), symbol("latency"), "Latency");
    w.Line("lv2:designation lv2:latency");
    w.Line("lv2:portProperty lv2:reportsLatency , lv2:integer");
    w.Line("lv2:minimum 0");
    w.Line("lv2:maximum " + Int(IPlugLV2::kLargestMaxBlock));
    w.Line("units:unit units:frame");
    w.Close();
    t += w.text + " .\n";
    if (HasUI(bundle, plugin)) t += UITtl(plugin);
  }
  // The state's keys, which presets and hosts' state files name.
  t += "\n<" + std::string(bundle.stateKey) + ">\n\ta rdf:Property ;\n\trdfs:label \"Parameters\" ;\n";
  t += "\trdfs:comment \"Every parameter's normalised value, a double in the machine's byte order, in "
       "parameter order.\" .\n";
  t += "\n<" + std::string(bundle.stateVersionKey) + ">\n\ta rdf:Property ;\n";
  t += "\trdfs:label \"Parameters format version\" .\n";
  if (error && !error->empty()) return std::string();
  return t;
}

namespace
{
bool WriteText(const std::string& path, const std::string& text, std::string* error)
{
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  FILE* out = fopen(path.c_str(), "wb");
  bool ok = out && fwrite(text.data(), 1, text.size(), out) == text.size();
  if (out && fclose(out) != 0) ok = false;
  if (!ok) *error = "cannot write " + path;
  return ok;
}
} // namespace

bool WriteLV2BundleTtl(const IPlugLV2Bundle& bundle, const std::string& dir, std::string* error)
{
  // Held as the base: the Turtle needs nothing of the adapter but its records.
  auto make = [&bundle]() { return std::unique_ptr<IPlugBase>(bundle.makePlug ? bundle.makePlug() : nullptr); };
  std::unique_ptr<IPlugBase> plug = make();
  if (!plug)
  {
    *error = "the bundle's factory made no plug-in";
    return false;
  }
  const std::string plugins = LV2PluginsTtl(bundle, *plug, error);
  if (plugins.empty()) return false;
  if (!WriteText(dir + "/manifest.ttl", LV2ManifestTtl(bundle), error) ||
      !WriteText(dir + "/" + bundle.pluginTtl, plugins, error))
    return false;

  const LV2PresetTarget target = LV2PresetTarget::Of(bundle);
  for (int i = 0; i < bundle.nPresets; ++i)
  {
    const IPlugLV2Preset& preset = bundle.presets[i];
    std::unique_ptr<IPlugBase> withPreset = make();
    ByteChunk chunk;
    if (!withPreset || !ApplyLV2FactoryPreset(preset, withPreset.get(), error)) return false;
    if (!withPreset->SerializeParams(&chunk))
    {
      *error = std::string("cannot save the state of preset \"") + preset.label + "\"";
      return false;
    }
    std::unique_ptr<IPlugBase> restored = make();
    if (!restored) return false;
    const std::string ttl = LV2PresetTtl(target, preset.uri, preset.label, preset.comment ? preset.comment : "",
                                         chunk, restored.get(), *plug);
    if (!WriteText(dir + "/" + preset.file, ttl, error)) return false;
  }
  return true;
}
