// Cost per stereo frame of the strip as an LV2 plug-in, run through lilv as a host runs
// it, at blocks of 512 and 64 frames, in pipeline_bench's settings; beside it the
// installed LV2 plug-ins a Linux engineer would otherwise chain for the same job (an EQ,
// two compressors, a saturator), alone and chained. Plug-ins that are not installed are
// left out. It reports; it never fails.

#include <benchmark/benchmark.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr int kMaxBlock = 512;

LilvWorld* gWorld = nullptr;

// The URID map and the options every plug-in is handed.
struct Features
{
  Features()
  {
    map = {this, Map};
    unmap = {this, Unmap};
    mapFeature = {LV2_URID__map, &map};
    unmapFeature = {LV2_URID__unmap, &unmap};
    const LV2_URID atomInt = Map(this, LV2_ATOM__Int), atomFloat = Map(this, LV2_ATOM__Float);
    options[0] = {LV2_OPTIONS_INSTANCE, 0, Map(this, LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), atomInt,
                  &maxBlock};
    options[1] = {LV2_OPTIONS_INSTANCE, 0, Map(this, LV2_BUF_SIZE__minBlockLength), sizeof(int32_t), atomInt,
                  &minBlock};
    options[2] = {LV2_OPTIONS_INSTANCE, 0, Map(this, LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t),
                  atomInt, &maxBlock};
    options[3] = {LV2_OPTIONS_INSTANCE, 0, Map(this, "http://lv2plug.in/ns/lv2core#sampleRate"), sizeof(float),
                  atomFloat, &rate};
    options[4] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    optionsFeature = {LV2_OPTIONS__options, options};
    boundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
    list = {&mapFeature, &unmapFeature, &optionsFeature, &boundedFeature, nullptr};
  }
  static LV2_URID Map(LV2_URID_Map_Handle h, const char* uri)
  {
    Features* f = (Features*) h;
    std::lock_guard<std::mutex> lock(f->mutex);
    for (size_t i = 0; i < f->uris.size(); ++i)
      if (f->uris[i] == uri) return (LV2_URID) (i + 1);
    f->uris.push_back(uri);
    return (LV2_URID) f->uris.size();
  }
  static const char* Unmap(LV2_URID_Unmap_Handle h, LV2_URID id)
  {
    Features* f = (Features*) h;
    std::lock_guard<std::mutex> lock(f->mutex);
    return id >= 1 && id <= f->uris.size() ? f->uris[id - 1].c_str() : nullptr;
  }

  std::mutex mutex;
  std::deque<std::string> uris;
  LV2_URID_Map map;
  LV2_URID_Unmap unmap;
  int32_t maxBlock = kMaxBlock, minBlock = 1;
  float rate = (float) kRate;
  LV2_Options_Option options[5];
  LV2_Feature mapFeature, unmapFeature, optionsFeature, boundedFeature;
  std::vector<const LV2_Feature*> list;
};

Features& TheFeatures()
{
  static Features f;
  return f;
}

struct Setting
{
  const char* symbol;
  float value;
};

struct PluginSpec
{
  const char* uri;
  std::vector<Setting> settings;
};

// One running instance: audio through the given stereo buffers, controls at their
// defaults but for the settings, atom ports given empty sequences.
class Instance
{
public:
  bool Load(const PluginSpec& spec)
  {
    LilvNode* uri = lilv_new_uri(gWorld, spec.uri);
    mPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(gWorld), uri);
    lilv_node_free(uri);
    if (!mPlugin) return false;
    mInstance = lilv_plugin_instantiate(mPlugin, kRate, TheFeatures().list.data());
    if (!mInstance) return false;
    const uint32_t n = lilv_plugin_get_num_ports(mPlugin);
    mControls.assign(n, 0.0f);
    lilv_plugin_get_port_ranges_float(mPlugin, nullptr, nullptr, mControls.data());
    LilvNode* audio = lilv_new_uri(gWorld, LV2_CORE__AudioPort);
    LilvNode* control = lilv_new_uri(gWorld, LV2_CORE__ControlPort);
    LilvNode* input = lilv_new_uri(gWorld, LV2_CORE__InputPort);
    LilvNode* atom = lilv_new_uri(gWorld, LV2_ATOM__AtomPort);
    mAtoms.assign(n, std::vector<uint64_t>());
    for (uint32_t i = 0; i < n; ++i)
    {
      const LilvPort* port = lilv_plugin_get_port_by_index(mPlugin, i);
      const bool in = lilv_port_is_a(mPlugin, port, input);
      if (lilv_port_is_a(mPlugin, port, audio))
        (in ? mAudioIn : mAudioOut).push_back(i);
      else if (lilv_port_is_a(mPlugin, port, control))
      {
        if (std::isnan(mControls[i])) mControls[i] = 0.0f;
        const char* sym = lilv_node_as_string(lilv_port_get_symbol(mPlugin, port));
        for (const Setting& s : spec.settings)
          if (!strcmp(sym, s.symbol)) mControls[i] = s.value;
        lilv_instance_connect_port(mInstance, i, &mControls[i]);
      }
      else if (lilv_port_is_a(mPlugin, port, atom))
      {
        mAtoms[i].assign(8192 / sizeof(uint64_t), 0);
        (in ? mAtomIn : mAtomOut).push_back(i);
        lilv_instance_connect_port(mInstance, i, mAtoms[i].data());
      }
      else
        lilv_instance_connect_port(mInstance, i, nullptr);
    }
    lilv_node_free(audio);
    lilv_node_free(control);
    lilv_node_free(input);
    lilv_node_free(atom);
    lilv_instance_activate(mInstance);
    return !mAudioIn.empty() && !mAudioOut.empty();
  }
  ~Instance()
  {
    if (!mInstance) return;
    lilv_instance_deactivate(mInstance);
    lilv_instance_free(mInstance);
  }

  // Stereo in, stereo out; a mono plug-in takes the left channel and copies it right.
  void Connect(float* inL, float* inR, float* outL, float* outR)
  {
    lilv_instance_connect_port(mInstance, mAudioIn[0], inL);
    if (mAudioIn.size() > 1) lilv_instance_connect_port(mInstance, mAudioIn[1], inR);
    lilv_instance_connect_port(mInstance, mAudioOut[0], outL);
    if (mAudioOut.size() > 1) lilv_instance_connect_port(mInstance, mAudioOut[1], outR);
    mMono = mAudioOut.size() < 2 ? outR : nullptr;
    mMonoSource = outL;
  }

  void Run(int n)
  {
    const LV2_URID sequence = Features::Map(&TheFeatures(), LV2_ATOM__Sequence);
    const LV2_URID chunk = Features::Map(&TheFeatures(), LV2_ATOM__Chunk);
    for (uint32_t i : mAtomIn)
    {
      auto* seq = (LV2_Atom_Sequence*) mAtoms[i].data();
      seq->atom = {sizeof(LV2_Atom_Sequence_Body), sequence};
      seq->body = {0, 0};
    }
    for (uint32_t i : mAtomOut)
    {
      auto* atom = (LV2_Atom*) mAtoms[i].data();
      *atom = {(uint32_t) (mAtoms[i].size() * sizeof(uint64_t) - sizeof(LV2_Atom)), chunk};
    }
    lilv_instance_run(mInstance, (uint32_t) n);
    if (mMono) memcpy(mMono, mMonoSource, (size_t) n * sizeof(float));
  }

private:
  const LilvPlugin* mPlugin = nullptr;
  LilvInstance* mInstance = nullptr;
  std::vector<float> mControls;
  std::vector<std::vector<uint64_t>> mAtoms;
  std::vector<uint32_t> mAudioIn, mAudioOut, mAtomIn, mAtomOut;
  float* mMono = nullptr;
  float* mMonoSource = nullptr;
};

// pipeline_bench's "everything": every EQ band at a gain, high- and low-pass on, a VCA
// and an FET compressing, oversampling and the analogue colour on.
const std::vector<Setting> kStripEverything = {
  {"hi_pass_freq", 60},  {"low_pass_freq", 15000}, {"hi_shelf_gain", 3}, {"low_shelf_gain", 2},
  {"low_mid_gain", -4},  {"hi_mid_gain", 3},       {"filter_gain", 5},   {"filter_q", 2},
  {"dyn_1_type", 0},     {"dyn_1_thresh", -30},    {"dyn_1_ratio", 4},   {"dyn_2_type", 1},
  {"dyn_2_thresh", -50}, {"dyn_2_ratio", 6},       {"oversampling", 1},  {"analogue_on_off", 1}};
const std::vector<Setting> kStripEqOnly = {
  {"hi_pass_freq", 60}, {"low_pass_freq", 15000}, {"hi_shelf_gain", 3},  {"low_shelf_gain", 2},
  {"low_mid_gain", -4}, {"hi_mid_gain", 3},       {"filter_gain", 5},    {"filter_q", 2},
  {"dyn_1_on_off", 0},  {"dyn_2_on_off", 0},      {"analogue_on_off", 0}};

// The others with the same kind of work: seven EQ sections, compressors at similar settings.
const PluginSpec kLspEq = {"http://lsp-plug.in/plugins/lv2/para_equalizer_x16_stereo",
                           {{"ft_0", 2}, {"f_0", 60},    {"ft_1", 5}, {"f_1", 100},  {"g_1", 1.26f},
                            {"ft_2", 1}, {"f_2", 400},   {"g_2", 0.63f}, {"ft_3", 1}, {"f_3", 2000},
                            {"g_3", 1.41f}, {"ft_4", 1}, {"f_4", 5000}, {"g_4", 1.78f}, {"q_4", 2},
                            {"ft_5", 3}, {"f_5", 8000},  {"g_5", 1.41f}, {"ft_6", 4}, {"f_6", 15000}}};
const PluginSpec kLspComp1 = {"http://lsp-plug.in/plugins/lv2/compressor_stereo",
                              {{"al", 0.0316f}, {"cr", 4}}};
const PluginSpec kLspComp2 = {"http://lsp-plug.in/plugins/lv2/compressor_stereo",
                              {{"al", 0.00316f}, {"cr", 6}}};
const PluginSpec kCalfSaturator = {"http://calf.sourceforge.net/plugins/Saturator", {}};
const PluginSpec kFil4 = {"http://gareus.org/oss/lv2/fil4#stereo",
                          {{"HighPass", 1}, {"HPfreq", 60}, {"LowPass", 1}, {"LPfreq", 15000}, {"LSgain", 2},
                           {"gain1", -4}, {"gain3", 3}, {"gain4", 5}, {"q4", 2}, {"HSgain", 3}}};
const PluginSpec kDarc1 = {"http://gareus.org/oss/lv2/darc#stereo", {{"threshold", -30}}};
const PluginSpec kDarc2 = {"http://gareus.org/oss/lv2/darc#stereo",
                           {{"threshold", -50}, {"Ratio", 0.5f}}};

void PerFrame(benchmark::State& state, int block)
{
  state.SetItemsProcessed(state.iterations() * block);
  state.counters["per_frame"] = benchmark::Counter((double) state.iterations() * block,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A chain of plug-ins, each one's output the next one's input, on a loud programme.
void RunChain(benchmark::State& state, const std::vector<PluginSpec>& chain)
{
  const int block = (int) state.range(0);
  std::vector<std::unique_ptr<Instance>> plugs;
  for (const PluginSpec& spec : chain)
  {
    plugs.emplace_back(new Instance);
    if (!plugs.back()->Load(spec))
    {
      state.SkipWithError((std::string(spec.uri) + " could not be instantiated").c_str());
      return;
    }
  }
  constexpr int kBlocks = 94;
  std::vector<float> l(kBlocks * kMaxBlock), r(kBlocks * kMaxBlock);
  for (size_t i = 0; i < l.size(); ++i)
  {
    const double t = i / kRate;
    l[i] = (float) (0.7 * std::sin(2 * M_PI * 220 * t) + 0.2 * std::sin(2 * M_PI * 3100 * t));
    r[i] = (float) (0.6 * std::sin(2 * M_PI * 330 * t) + 0.2 * std::sin(2 * M_PI * 5100 * t));
  }
  // Ping-pong buffers between the stages of the chain.
  std::vector<float> bufs[2][2] = {{std::vector<float>(kMaxBlock), std::vector<float>(kMaxBlock)},
                                   {std::vector<float>(kMaxBlock), std::vector<float>(kMaxBlock)}};
  int pos = 0;
  for (auto _ : state)
  {
    float* inL = l.data() + pos;
    float* inR = r.data() + pos;
    pos = pos + block + block > (int) l.size() ? 0 : pos + block;
    for (size_t k = 0; k < plugs.size(); ++k)
    {
      std::vector<float>* out = bufs[k & 1];
      plugs[k]->Connect(inL, inR, out[0].data(), out[1].data());
      plugs[k]->Run(block);
      inL = out[0].data();
      inR = out[1].data();
    }
    benchmark::DoNotOptimize(inL);
    benchmark::ClobberMemory();
  }
  PerFrame(state, block);
}

bool Installed(const PluginSpec& spec)
{
  LilvNode* uri = lilv_new_uri(gWorld, spec.uri);
  const bool found = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(gWorld), uri) != nullptr;
  lilv_node_free(uri);
  return found;
}

void Register(const std::string& name, const std::vector<PluginSpec>& chain)
{
  for (const PluginSpec& spec : chain)
    if (!Installed(spec))
    {
      printf("%s: %s is not installed, left out\n", name.c_str(), spec.uri);
      return;
    }
  benchmark::RegisterBenchmark(name.c_str(), [chain](benchmark::State& s) { RunChain(s, chain); })
      ->Arg(512)
      ->Arg(64);
}
} // namespace

int main(int argc, char** argv)
{
  // The build tree's bundle first, then the system's plug-ins.
  setenv("LV2_PATH", OSTRAKON_LV2_PATH ":/usr/lib/lv2:/usr/local/lib/lv2", 1);
  srand(1);
  gWorld = lilv_world_new();
  lilv_world_load_all(gWorld);

  const PluginSpec stripEverything = {"https://quarro.audio/plugins/ostrakon", kStripEverything};
  const PluginSpec stripDefaults = {"https://quarro.audio/plugins/ostrakon", {}};
  const PluginSpec stripEqOnly = {"https://quarro.audio/plugins/ostrakon", kStripEqOnly};
  Register("Ostrakon/defaults", {stripDefaults});
  Register("Ostrakon/everything", {stripEverything});
  Register("Ostrakon/eq_only", {stripEqOnly});
  Register("LSP/para_equalizer_x16_stereo", {kLspEq});
  Register("LSP/compressor_stereo", {kLspComp1});
  Register("Calf/saturator", {kCalfSaturator});
  Register("x42/fil4_stereo", {kFil4});
  Register("x42/darc_stereo", {kDarc1});
  Register("Chain/lsp_eq+lsp_comp+lsp_comp+calf_saturator", {kLspEq, kLspComp1, kLspComp2, kCalfSaturator});
  Register("Chain/x42_fil4+x42_darc+x42_darc", {kFil4, kDarc1, kDarc2});

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  lilv_world_free(gWorld);
  return 0;
}
