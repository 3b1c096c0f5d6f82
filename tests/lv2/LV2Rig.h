#pragma once
// Drives one instance of the strip's LV2 plug-ins in this process, through the
// descriptor's functions as a host calls them, with every port connected to buffers the
// rig owns. The plug-in object stays reachable for checks.

#include "IPlug/IPlugLV2.h"
#include "dsp/AnalogueClock.h"
#include "engine/Ostrakon.h"
#include "engine/OstrakonLV2.h"
#include "tests/lv2/UridMap.h"

#include <cmath>
#include <cstdlib>
#include <vector>

struct LV2Rig
{
  enum EPlugin
  {
    kStereo = 0,
    kMono = 1
  };
  static constexpr time_t kAnalogueTime = 1700000000;

  // maxBlock 0: the host names no maximum block length. withMap false: no features at all.
  explicit LV2Rig(EPlugin which = kStereo, double rate = 44100.0, int maxBlock = 8192, bool withMap = true)
  {
    descriptor = IPlugLV2::Descriptor((uint32_t) which, kOstrakonLV2Bundle);
    // The random draws fixed, so that rigs built alike process alike.
    srand((unsigned) kAnalogueTime);
    AnalogueClock::SetFixed(kAnalogueTime);
    handle = descriptor->instantiate(descriptor, rate, "", withMap ? map.Features(maxBlock) : nullptr);
    if (!handle) return;
    const IPlugLV2Plugin& p = kOstrakonLV2Bundle.plugins[which];
    ports = {p.nChannels, kNumParams, p.nMeters};
    values.assign(ports.Count(), 0.0f);
    for (int i = 0; i < kNumParams; ++i) values[ports.Control(i)] = (float) kOstrakonParams[i].defaultValue;
    for (int i = ports.Control(0); i < ports.Count(); ++i) descriptor->connect_port(handle, i, &values[i]);
    in.resize(p.nChannels);
    out.resize(p.nChannels);
  }
  ~LV2Rig()
  {
    if (handle) descriptor->cleanup(handle);
  }
  LV2Rig(const LV2Rig&) = delete;
  LV2Rig& operator=(const LV2Rig&) = delete;

  Ostrakon& Plug() { return *static_cast<Ostrakon*>(static_cast<IPlugLV2*>(handle)); }
  float& Control(int paramIdx) { return values[ports.Control(paramIdx)]; }
  float Meter(int m) const { return values[ports.Meter(m)]; }
  float Latency() const { return values[ports.Latency()]; }

  // Runs nFrames of the given channels (nChannels vectors, at least nFrames long from
  // offset) into out, each resized to hold them.
  void Run(const std::vector<std::vector<float>>& input, int offset, int nFrames)
  {
    for (int c = 0; c < ports.nChannels; ++c)
    {
      in[c].assign(input[c].begin() + offset, input[c].begin() + offset + nFrames);
      out[c].assign(nFrames, 0.0f);
      descriptor->connect_port(handle, ports.AudioIn(c), in[c].data());
      descriptor->connect_port(handle, ports.AudioOut(c), out[c].data());
    }
    descriptor->run(handle, (uint32_t) nFrames);
  }

  // The whole input in blocks of `block` frames; returns the concatenated outputs.
  std::vector<std::vector<float>> RunAll(const std::vector<std::vector<float>>& input, int block)
  {
    std::vector<std::vector<float>> result(ports.nChannels);
    const int n = (int) input[0].size();
    for (int done = 0; done < n; done += block)
    {
      const int len = n - done < block ? n - done : block;
      Run(input, done, len);
      for (int c = 0; c < ports.nChannels; ++c) result[c].insert(result[c].end(), out[c].begin(), out[c].end());
    }
    return result;
  }

  UridMap map;
  const LV2_Descriptor* descriptor = nullptr;
  LV2_Handle handle = nullptr;
  IPlugLV2Ports ports = {0, 0, 0};
  std::vector<float> values; // one per port; audio ports' entries unused
  std::vector<std::vector<float>> in, out;
};

// A loud programme with some noise, the same on every call.
inline std::vector<std::vector<float>> TestProgramme(int channels, int frames, double rate = 44100.0)
{
  std::vector<std::vector<float>> x(channels, std::vector<float>(frames));
  unsigned seed = 7;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
    {
      seed = seed * 1664525u + 1013904223u;
      const double t = i / rate;
      x[c][i] = (float) (0.6 * std::sin(2 * M_PI * (220.0 + 110.0 * c) * t) +
                         0.2 * std::sin(2 * M_PI * 3100.0 * t) + 0.1 * ((seed >> 8) / 8388608.0 - 1.0));
    }
  return x;
}
