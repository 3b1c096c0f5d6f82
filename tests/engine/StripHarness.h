#pragma once
// Drives a strip the way a host does, on double buffers the test owns.

#include "dsp/AnalogueClock.h"
#include "engine/Ostrakon.h"

#include <cstdlib>
#include <memory>
#include <vector>

struct StripHarness
{
  // Fixes the random draws (construction offsets, analogue tolerances) so that two
  // harnesses built alike process alike.
  static Ostrakon* MakeReproduciblePlug()
  {
    srand(1);
    AnalogueClock::SetFixed(1700000000);
    return MakePlug();
  }

  explicit StripHarness(int blockSize = 512, bool stereo = true) : plug(MakeReproduciblePlug())
  {
    plug->SetSampleRate(44100.0);
    plug->Reset();
    plug->SetBlockSize(blockSize);
    plug->Reset();
    for (int i = 0; i < kNumParams; ++i) plug->OnParamChange(i);
    plug->ApplyParamChanges();
    plug->SetInputChannelConnections(0, 1, true);
    plug->SetInputChannelConnections(1, 1, stereo);
    plug->SetOutputChannelConnections(0, 1, true);
    plug->SetOutputChannelConnections(1, 1, stereo);
  }

  // Switches the three routed stages off, leaving the bare pipeline.
  void BypassStages()
  {
    Set(kEqOn, 0.0);
    Set(kDyn1On, 0.0);
    Set(kDyn2On, 0.0);
  }

  // As a host sets a parameter; the engine then takes the change as a block would
  // at its start, so its settings can be read at once.
  void Set(int idx, double value)
  {
    plug->GetParam(idx)->Set(value);
    plug->OnParamChange(idx);
    plug->ApplyParamChanges();
  }

  // Processes in and returns the outputs, in blocks of at most blockFrames.
  void Run(const std::vector<double>& inL, const std::vector<double>& inR, std::vector<double>& outL,
           std::vector<double>& outR, int blockFrames)
  {
    const int n = (int) inL.size();
    outL.assign(n, 0.0);
    outR.assign(n, 0.0);
    int done = 0;
    do
    {
      const int len = n - done < blockFrames ? n - done : blockFrames;
      double* ins[] = {const_cast<double*>(inL.data()) + done, const_cast<double*>(inR.data()) + done};
      double* outs[] = {outL.data() + done, outR.data() + done};
      plug->AttachInputBuffers(0, 2, ins, len);
      plug->AttachOutputBuffers(0, 2, outs);
      plug->ProcessBuffers(0.0, len);
      done += len;
    } while (done < n);
  }

  std::unique_ptr<Ostrakon> plug;
};
