#pragma once
// A small adapter client for what the strip does not use: presets, a side-chain bus,
// instrument output buses, MIDI, state chunks, latency and an editor. The component
// is opened with the configuration set last.

#include "IPlug/IGraphicsHeadless.h"
#include "tests/support/TestControl.h"
#include "IPlug/IPlugAU.h"

#include <vector>

struct TestPlugConfig
{
  const char* channelIO = "1-1 2-2";
  int nPresets = 0;
  bool isInst = false;
  bool doesChunks = false;
  int scChans = 0;
  bool withEditor = false;
};

enum ETestParams
{
  kTestGain = 0, // double -24..24 dB
  kTestMode,     // enum "A" "B" "C"
  kTestOn,       // bool
  kTestCount,    // int 0..3
  kNumTestParams
};

constexpr const char* kTestBundleID = "org.ostrakon.tests.TestPlug";

class TestPlug : public IPlugAU
{
public:
  static TestPlugConfig sConfig;

  explicit TestPlug(const IPlugInstanceInfo& info)
    : IPlugAU(info, kNumTestParams, sConfig.channelIO, sConfig.nPresets, "Test Plug", "", "Tests", 0x10203,
              0x54657374, 0x5473746d, 0, true, sConfig.doesChunks, sConfig.isInst, sConfig.scChans)
  {
    GetParam(kTestGain)->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1, "dB");
    GetParam(kTestMode)->InitEnum("Mode", 0, 3);
    GetParam(kTestMode)->SetDisplayText(0, "A");
    GetParam(kTestMode)->SetDisplayText(1, "B");
    GetParam(kTestMode)->SetDisplayText(2, "C");
    GetParam(kTestOn)->InitBool("On", true);
    GetParam(kTestCount)->InitInt("Count", 1, 0, 3);
    for (int i = 0; i < sConfig.nPresets; ++i)
    {
      GetParam(kTestGain)->Set(3.0 * i);
      const char* names[] = {"Soft", "Loud", "Odd"};
      MakeDefaultPreset(names[i % 3], 1);
    }
    GetParam(kTestGain)->Set(0.0);
    if (sConfig.withEditor)
    {
      IGraphics* g = new IGraphicsHeadless(this, 100, 100);
      gainControl = g->AttachControl(new TestControl(this, kTestGain));
      AttachGraphics(g);
    }
  }

  void OnParamChange(int idx) override { changes.push_back(idx); }
  void OnActivate(bool active) override { activations.push_back(active); }
  void ProcessMidiMsg(IMidiMsg* msg) override { midi.push_back(*msg); }
  void Reset() override { ++resets; }

  std::vector<int> changes;
  std::vector<bool> activations;
  std::vector<IMidiMsg> midi;
  int resets = 0;
  int gainControl = -1;
};

inline TestPlugConfig TestPlug::sConfig;

inline ComponentResult TestPlug_Entry(ComponentParameters* params, void* storage)
{
  return IPlugAU::IPlugAUEntry(params, storage, []() -> IPlugAU* {
    IPlugInstanceInfo info;
    info.mBundleID.Set(kTestBundleID);
    info.mCocoaViewFactoryClassName.Set("TestPlug_View");
    return new TestPlug(info);
  });
}

inline Component TestPlugComponent(const TestPlugConfig& config = TestPlugConfig())
{
  static Component component = [] {
    ComponentDescription cd = {kAudioUnitType_Effect, 0x54657374, 0x5473746d, 0, 0};
    return RegisterComponent(&cd, TestPlug_Entry, 0, nullptr, nullptr, nullptr);
  }();
  TestPlug::sConfig = config;
  return component;
}
