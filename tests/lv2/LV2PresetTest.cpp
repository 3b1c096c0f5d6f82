// LV2 presets: the Turtle written from the strip's values read back exactly; presets
// restored by our reader and by a lilv host into the built plug-in leave the same state,
// whether the ports agree with the state or not; what the reader refuses; and the
// bundle's factory presets as a lilv host finds and loads them.

#include "IPlug/Base64.h"
#include "IPlug/IPlugLV2.h"
#include "IPlug/IPlugLV2Preset.h"
#include "IPlug/IPlugLV2Ttl.h"
#include "IPlug/LV2PresetReader.h"
#include "IPlug/WDL/WDL_String.h"
#include "engine/OstrakonLV2.h"
#include "engine/OstrakonParams.h"
#include "engine/OstrakonPresets.h"
#include "tests/lv2/LilvHost.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <regex>
#include <set>
#include <string>

namespace
{
std::unique_ptr<IPlugBase> MakeStrip() { return std::unique_ptr<IPlugBase>(kOstrakonLV2Bundle.makePlug()); }

LV2PresetTarget Target() { return LV2PresetTarget::Of(kOstrakonLV2Bundle); }

ByteChunk ChunkOf(IPlugBase& plug)
{
  ByteChunk c;
  plug.SerializeParams(&c);
  return c;
}

std::string Bytes(const ByteChunk& c) { return std::string((const char*) c.GetData(), (size_t) c.Size()); }

// Every parameter at a random position, the dynamics types first (they re-range their
// slots' times).
void Randomise(IPlugBase* plug, std::mt19937& rng)
{
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int type : {kDyn1Type, kDyn2Type})
  {
    plug->GetParam(type)->Set((double) std::uniform_int_distribution<int>(0, 3)(rng));
    plug->OnParamChange(type);
  }
  for (int i = 0; i < kNumParams; ++i)
    if (i != kDyn1Type && i != kDyn2Type) plug->GetParam(i)->SetNormalized(unit(rng));
  plug->OnParamReset();
}

class PresetDir
{
public:
  PresetDir() : mDir(testing::TempDir() + "lv2presets-" + std::to_string(getpid()) + "-" + std::to_string(sN++))
  {
    std::filesystem::create_directories(mDir);
  }
  ~PresetDir() { std::filesystem::remove_all(mDir); }
  std::string Write(const std::string& name, const std::string& text) const
  {
    const std::string path = mDir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

private:
  static int sN;
  std::string mDir;
};
int PresetDir::sN = 0;

// The Turtle of the plug-in's current values, as a file of its own.
std::string PresetOf(IPlugBase& plug, const std::string& label = "Test")
{
  std::unique_ptr<IPlugBase> scratch = MakeStrip(), fresh = MakeStrip();
  return LV2PresetTtl(Target(), "", label, "", ChunkOf(plug), scratch.get(), *fresh);
}

// Our reader's restore on a fresh strip: the chunk it gives, and optionally the chunk the
// strip then saves (its values read back, which can differ in the last bit), or the problem.
bool Restore(const std::string& path, ByteChunk* chunk, std::string* problem, ByteChunk* held = nullptr)
{
  LV2PresetFile file;
  std::unique_ptr<IPlugBase> plug = MakeStrip(), fresh = MakeStrip();
  const bool ok = ReadLV2Preset(path, Target(), &file, problem) &&
                  RestoreLV2Preset(file, Target(), plug.get(), *fresh, chunk, problem);
  if (ok && held) plug->SerializeParams(held);
  return ok;
}

// ----- the lilv host -----

void SetPortValue(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type)
{
  HostInstance* host = (HostInstance*) user;
  LilvNode* sym = lilv_new_string(World().Get(), symbol);
  const LilvPort* port = lilv_plugin_get_port_by_symbol(host->plugin, sym);
  lilv_node_free(sym);
  if (!port) return;
  float v = NAN;
  if (type == host->map.Id(LV2_ATOM__Float) && size == sizeof(float))
    memcpy(&v, value, sizeof v);
  else if (type == host->map.Id(LV2_ATOM__Double) && size == sizeof(double))
  {
    double d;
    memcpy(&d, value, sizeof d);
    v = (float) d;
  }
  host->values[lilv_port_get_index(host->plugin, port)] = v;
}

struct StoredChunk
{
  LV2_URID key;
  std::string bytes;
};

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t, uint32_t)
{
  StoredChunk* s = (StoredChunk*) handle;
  if (key == s->key) s->bytes.assign((const char*) value, size);
  return LV2_STATE_SUCCESS;
}

// Restores a preset into a new instance of the built stereo plug-in as a host does (the
// state, then the ports' values), runs a block, and returns the state chunk it then saves.
// load reads the preset with the instance's URID map.
template <class Load>
std::string RestoredByLilv(Load load)
{
  HostInstance host(World().Plugin(kOstrakonLV2StereoURI), 48000.0, 256, 256);
  if (!host.instance) return "no instance";
  LilvState* state = load(host.map.MapHandle());
  if (!state) return "no state";
  const LV2_Feature* features[] = {host.map.MapFeature(), nullptr};
  lilv_state_restore(state, host.instance, SetPortValue, &host, 0, features);
  lilv_state_free(state);
  lilv_instance_activate(host.instance);
  lilv_instance_run(host.instance, 256);
  const LV2_State_Interface* iface =
      (const LV2_State_Interface*) lilv_instance_get_extension_data(host.instance, LV2_STATE__interface);
  StoredChunk stored{host.map.Id(kOstrakonLV2StateKey), ""};
  iface->save(lilv_instance_get_handle(host.instance), Store, &stored, LV2_STATE_IS_POD, features);
  lilv_instance_deactivate(host.instance);
  return stored.bytes;
}

std::string RestoredByLilv(const std::string& path)
{
  return RestoredByLilv(
      [&](LV2_URID_Map* map) { return lilv_state_new_from_file(World().Get(), map, nullptr, path.c_str()); });
}

// The Turtle with one port's value replaced.
std::string SetPort(const std::string& text, const char* name, const char* value)
{
  const std::regex port("lv2:symbol \"" + LV2SymbolFromName(name) + "\" ;\\s*pset:value ([-0-9.e]+)");
  std::smatch m;
  if (!std::regex_search(text, m, port)) return text;
  std::string out = text;
  return out.replace((size_t) m.position(1), (size_t) m.length(1), value);
}
} // namespace

TEST(LV2Presets, TheTurtleOfTheStripsValuesReadsBackExactly)
{
  std::mt19937 rng(31337);
  PresetDir dir;
  for (int round = 0; round < 20; ++round)
  {
    std::unique_ptr<IPlugBase> plug = MakeStrip();
    Randomise(plug.get(), rng);
    const std::string path = dir.Write("p.ttl", PresetOf(*plug, "Round \"" + std::to_string(round) + "\""));

    LV2PresetFile file;
    std::string problem;
    ASSERT_TRUE(ReadLV2Preset(path, Target(), &file, &problem)) << problem;
    EXPECT_EQ(file.label, "Round \"" + std::to_string(round) + "\"");
    EXPECT_EQ(file.uri, "file://" + path);
    EXPECT_EQ(file.appliesTo, (std::vector<std::string>{kOstrakonLV2StereoURI, kOstrakonLV2MonoURI}));
    std::set<std::string> symbols, want;
    for (const auto& port : file.ports) symbols.insert(port.first);
    for (int i = 0; i < kNumParams; ++i) want.insert(LV2SymbolFromName(kOstrakonParams[i].name));
    EXPECT_EQ(file.ports.size(), (size_t) kNumParams);
    EXPECT_EQ(symbols, want);
    EXPECT_TRUE(file.hasState && file.hasVersion);
    EXPECT_EQ(file.version, kOstrakonLV2StateVersion);
    EXPECT_EQ(Bytes(file.chunk), Bytes(ChunkOf(*plug)));

    ByteChunk restored, held;
    ASSERT_TRUE(Restore(path, &restored, &problem, &held)) << problem;
    ASSERT_EQ(Bytes(restored), Bytes(ChunkOf(*plug))) << "round " << round;
    // A lilv host leaves the plug-in holding the same values, bit for bit.
    ASSERT_EQ(RestoredByLilv(path), Bytes(held)) << "round " << round;
  }
}

TEST(LV2Presets, PortsThatDisagreeWithTheStateWinAsInAHost)
{
  PresetDir dir;
  std::unique_ptr<IPlugBase> plug = MakeStrip();
  plug->GetParam(kDyn1Type)->Set(kDynFET);
  plug->OnParamChange(kDyn1Type);
  plug->GetParam(kDyn1Attack)->Set(0.3);
  plug->GetParam(kLowMidGain)->Set(-4.0);
  plug->OnParamReset();
  const std::string text = PresetOf(*plug);

  const struct
  {
    const char* what;
    std::string text;
  } cases[] = {
      {"a gain", SetPort(text, "Input Gain", "3.25")},
      {"the type, then the attack knob on the VCA scale",
       SetPort(SetPort(text, "Dyn. 1 Type", "3.0"), "Dyn. 1 Attack", "12.5")},
      {"a value beyond the port's range", SetPort(text, "Low Mid Gain", "99.0")},
      {"ports alone", std::regex_replace(text, std::regex("\\tstate:state \\[[^\\]]*\\]"), "\trdfs:comment \"no state\"")},
  };
  for (const auto& c : cases)
  {
    ASSERT_NE(c.text, text) << c.what;
    const std::string path = dir.Write("edited.ttl", c.text);
    ByteChunk restored, held;
    std::string problem;
    ASSERT_TRUE(Restore(path, &restored, &problem, &held)) << c.what << ": " << problem;
    EXPECT_NE(Bytes(restored), Bytes(ChunkOf(*plug))) << c.what;
    EXPECT_EQ(Bytes(held), RestoredByLilv(path)) << c.what;
  }
}

TEST(LV2Presets, WhatTheReaderRefusesLeavesThePlugInAsItWas)
{
  PresetDir dir;
  std::unique_ptr<IPlugBase> plug = MakeStrip();
  plug->GetParam(kHiPassFreq)->Set(120.0);
  plug->OnParamReset();
  const std::string good = PresetOf(*plug);
  const std::string stateKey = std::string("<") + kOstrakonLV2StateKey + "> ";
  const std::string versionKey = std::string("<") + kOstrakonLV2StateVersionKey + "> ";
  auto replace = [](std::string s, const std::string& from, const std::string& to) {
    const size_t at = s.find(from);
    return at == std::string::npos ? std::string() : s.replace(at, from.size(), to);
  };
  auto chunkOf = [&](const std::string& bytes) {
    WDL_String b64;
    Base64Encode((const unsigned char*) bytes.data(), (int) bytes.size(), &b64);
    std::regex chunk(R"re(("[A-Za-z0-9+/=]+")\^\^xsd:base64Binary)re");
    return std::regex_replace(good, chunk, "\"" + std::string(b64.Get()) + "\"^^xsd:base64Binary");
  };
  std::string tooLarge = Bytes(ChunkOf(*plug));
  const double big = 1.5;
  memcpy(&tooLarge[8 * 3], &big, 8);

  const struct
  {
    std::string text, problem;
  } cases[] = {
      {std::regex_replace(good, std::regex("lv2:appliesTo [^;]*;"), "lv2:appliesTo <urn:other> ;"),
       "is a preset of <urn:other>, not of this plug-in"},
      {std::regex_replace(good, std::regex("\\tlv2:appliesTo [^;]*;\\n"), ""), "names no plug-in it applies to"},
      {replace(good, versionKey + "\"1\"^^xsd:int", versionKey + "\"2\"^^xsd:int"),
       "holds a state of version 2; this plug-in reads version 1"},
      {replace(good, versionKey + "\"1\"^^xsd:int", versionKey + "\"1\""), "its state's version is not an xsd:int"},
      {std::regex_replace(good, std::regex("\\t\\t<[^>]*#parametersVersion> [^;]*;\\n"), ""),
       "holds a state of no version"},
      {chunkOf(Bytes(ChunkOf(*plug)).substr(0, 312)), "holds a damaged state"},
      {chunkOf(tooLarge), "holds a damaged state"},
      {std::regex_replace(good, std::regex("\\^\\^xsd:base64Binary"), ""), "its state is not base64 data"},
      {"@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n<> a <<", "is not Turtle (line 2"},
      {good + "\n<urn:second> a <http://lv2plug.in/ns/ext/presets#Preset> .\n", "holds 2 presets, not one"},
      {"<> <urn:p> <urn:o> .\n", "nothing in it is a pset:Preset"},
      {replace(good, "pset:value 120.0", "pset:value \"loud\""), "has no finite number for the port \"hi_pass_freq\""},
      {replace(good, "lv2:symbol \"low_pass_freq\"", "lv2:symbol \"hi_pass_freq\""), "sets the port \"hi_pass_freq\" twice"},
      {good.substr(0, 200) + std::string(1, '\0') + good.substr(200), "holds a zero byte"},
  };
  for (const auto& c : cases)
  {
    ASSERT_FALSE(c.text.empty()) << c.problem;
    const std::string path = dir.Write("bad.ttl", c.text);
    LV2PresetFile file;
    std::string problem;
    std::unique_ptr<IPlugBase> target = MakeStrip(), fresh = MakeStrip();
    const std::string before = Bytes(ChunkOf(*target));
    ByteChunk chunk;
    const bool restored = ReadLV2Preset(path, Target(), &file, &problem) &&
                          RestoreLV2Preset(file, Target(), target.get(), *fresh, &chunk, &problem);
    EXPECT_FALSE(restored) << c.problem;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << "got: " << problem << "\nwanted: " << c.problem;
    EXPECT_EQ(Bytes(ChunkOf(*target)), before) << c.problem;
  }
  LV2PresetFile file;
  std::string problem;
  EXPECT_FALSE(ReadLV2Preset("/nonexistent/preset.ttl", Target(), &file, &problem));
  EXPECT_NE(problem.find("cannot be read"), std::string::npos) << problem;
}

TEST(LV2Presets, ALilvHostFindsTheFactoryPresetsAndLoadsWhatTheirSettingsSay)
{
  const LilvPlugin* plugin = World().Plugin(kOstrakonLV2StereoURI);
  ASSERT_NE(plugin, nullptr);
  for (const char* uri : {kOstrakonLV2StereoURI, kOstrakonLV2MonoURI})
  {
    LilvNodes* presets = lilv_plugin_get_related(World().Plugin(uri), World().Uri(LV2_PRESETS__Preset));
    EXPECT_EQ(lilv_nodes_size(presets), (unsigned) kNumOstrakonFactoryPresets) << uri;
    lilv_nodes_free(presets);
  }

  for (const IPlugLV2Preset& preset : kOstrakonFactoryPresets)
  {
    SCOPED_TRACE(preset.label);
    const LilvNode* node = World().Uri(preset.uri);
    ASSERT_GE(lilv_world_load_resource(World().Get(), node), 0);
    LilvNode* label = lilv_world_get(World().Get(), node, World().Uri(LILV_NS_RDFS "label"), nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(lilv_node_as_string(label), preset.label);
    lilv_node_free(label);

    const std::string restored =
        RestoredByLilv([&](LV2_URID_Map* map) { return lilv_state_new_from_world(World().Get(), map, node); });

    // The same values our reader finds in the preset's file...
    ByteChunk chunk, held;
    std::string problem;
    ASSERT_TRUE(Restore(std::string(OSTRAKON_LV2_BUNDLE_DIR "/") + preset.file, &chunk, &problem, &held))
        << problem;
    EXPECT_EQ(restored, Bytes(held));
    // ...and it sets what the preset's settings say, the rest at their defaults.
    std::unique_ptr<IPlugBase> plug = MakeStrip();
    plug->UnserializeParams(&chunk, 0);
    std::vector<double> want(kNumParams);
    for (int i = 0; i < kNumParams; ++i) want[(size_t) i] = kOstrakonParams[i].defaultValue;
    for (int k = 0; k < preset.nValues; ++k) want[(size_t) preset.values[k].paramIdx] = preset.values[k].value;
    for (int i = 0; i < kNumParams; ++i)
    {
      const IParam* p = plug->GetParam(i);
      EXPECT_NEAR(p->Value(), want[(size_t) i], 1e-9 * (p->GetMax() - p->GetMin())) << kOstrakonParams[i].name;
    }
  }
}
