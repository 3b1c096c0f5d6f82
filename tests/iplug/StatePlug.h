#pragma once
// A small plug-in with one parameter of every kind, that records what the base
// calls on it.

#include "IPlug/IPlugBase.h"

#include <string>
#include <vector>

enum EStateParams
{
  kGain = 0, // double -24..24
  kFreq,     // double 20..20000, shape 2
  kCount,    // int 0..3
  kMode,     // enum of three
  kOn,       // bool
  kNumStateParams
};

class StatePlug : public IPlugBase
{
public:
  // stateChunks: the plug-in saves opaque state (here the parameter chunk all the same).
  explicit StatePlug(int nPresets = 0, bool stateChunks = false)
    : IPlugBase(kNumStateParams, "2-2", nPresets, "State", "State Product", "Maker", 0x10203,
                0x53746174, 0x4d616b72, 0, false, stateChunks, false)
  {
    GetParam(kGain)->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1, "dB");
    GetParam(kFreq)->InitDouble("Freq", 1000.0, 20.0, 20000.0, 1.0, "Hz");
    GetParam(kFreq)->SetShape(2.0);
    GetParam(kCount)->InitInt("Count", 1, 0, 3, "");
    GetParam(kMode)->InitEnum("Mode", 0, 3);
    GetParam(kOn)->InitBool("On", true, "");
  }

  void OnParamChange(int idx) override
  {
    IPlugBase::OnParamChange(idx);
    events.push_back("change " + std::to_string(idx));
  }
  void BeginInformHostOfParamChange(int idx) override
  {
    events.push_back("begin " + std::to_string(idx));
  }
  void InformHostOfParamChange(int idx, double normalizedValue) override
  {
    events.push_back("inform " + std::to_string(idx));
    informed.push_back(normalizedValue);
  }
  void EndInformHostOfParamChange(int idx) override
  {
    events.push_back("end " + std::to_string(idx));
  }
  void PresetsChangedByHost() override { events.push_back("presets changed"); }
  void InformHostOfProgramChange() override { events.push_back("program changed"); }
  bool SerializeState(ByteChunk* chunk) override { return !failSerialize && IPlugBase::SerializeState(chunk); }

  IPreset* Preset(int idx) const { return GetPreset(idx); }

  // The indices OnParamChange was called with, in order.
  std::vector<int> Changes() const
  {
    std::vector<int> out;
    for (const std::string& e : events)
      if (e.rfind("change ", 0) == 0) out.push_back(std::stoi(e.substr(7)));
    return out;
  }

  std::vector<std::string> events;
  std::vector<double> informed;
  bool failSerialize = false; // SerializeState fails, as when memory runs out
};
