#pragma once
// The strip opened through the host library, an input that serves a fixed signal by
// sample time and counts its pulls, and a check that the host released everything the
// unit handed it.

#include "tests/support/CFLeakCheck.h"
#include "dsp/AnalogueClock.h"
#include "engine/Ostrakon.h"
#include "host/AUComponent.h"
#include "host/AUHostUnit.h"
#include "platform/StandIn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

inline const AUComponent& StripComponent()
{
  static const AUComponent c = AUComponent::Register(
      {kOstrakonComponentType, (OSType) kOstrakonUniqueID, (OSType) kOstrakonMfrID, 0, 0}, Ostrakon_Entry,
      kOstrakonEffectName);
  return c;
}

// Opens the strip with its construction draws fixed, so that two units opened alike
// sound alike.
inline void OpenStrip(AUHostUnit& unit, const AUComponent& component = StripComponent())
{
  srand(1);
  AnalogueClock::SetFixed(1700000000);
  ASSERT_EQ(unit.Open(component), noErr);
}

inline Ostrakon* StripOf(const AUHostUnit& unit) { return static_cast<Ostrakon*>((IPlugAU*) unit.Storage()); }

struct SignalSource
{
  std::vector<std::vector<float>> channels;
  int pulls = 0;

  SignalSource(int nChannels, int length)
  {
    for (int c = 0; c < nChannels; ++c)
    {
      std::vector<float> x((size_t) length);
      for (int i = 0; i < length; ++i)
        x[(size_t) i] = (float) (0.5 * std::sin(0.013 * i * (c + 1)) + 0.1 * std::sin(0.29 * i + c));
      channels.push_back(x);
    }
  }

  static OSStatus Pull(void* ref, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32,
                       UInt32 nFrames, AudioBufferList* io)
  {
    SignalSource* s = (SignalSource*) ref;
    ++s->pulls;
    AudioBuffer* buffers = io->mBuffers;
    for (UInt32 b = 0; b < io->mNumberBuffers; ++b)
    {
      const std::vector<float>& ch = s->channels[b < s->channels.size() ? b : s->channels.size() - 1];
      float* d = (float*) buffers[b].mData;
      for (UInt32 i = 0; i < nFrames; ++i)
      {
        const size_t t = (size_t) ts->mSampleTime + i;
        d[i] = t < ch.size() ? ch[t] : 0.0f;
      }
    }
    return noErr;
  }
};

// Configured, fed from source and initialised.
inline void PrepareStrip(AUHostUnit& unit, UInt32 channels, UInt32 maxFrames, SignalSource* source,
                         Float64 rate = 44100.0)
{
  ASSERT_EQ(unit.Configure(rate, maxFrames, channels), noErr);
  ASSERT_EQ(unit.SetInputCallback(SignalSource::Pull, source), noErr);
  ASSERT_EQ(unit.Initialize(), noErr);
}

// Host-owned sample buffers for one render.
struct Block
{
  Block(int nChannels, int nFrames, float fill = -7.0f)
    : data((size_t) nChannels, std::vector<float>((size_t) nFrames, fill)), list(nChannels)
  {
    for (int c = 0; c < nChannels; ++c) list.Set(c, data[(size_t) c].data(), (UInt32) nFrames);
  }
  std::vector<std::vector<float>> data;
  AUBufferList list;
};

inline bool SameBits(const float* a, const float* b, size_t n)
{
  return memcmp(a, b, n * sizeof(float)) == 0;
}

