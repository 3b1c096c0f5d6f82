#pragma once
// Drives one plug-in instance the way an audio host does: set-up calls in the host's
// order, parameter changes under the plug-in's lock, and blocks of single-precision
// channel buffers through the base's float process entry.

#include "engine/Ostrakon.h"
#include "tools/ParamSetting.h"

#include <memory>
#include <string>

class StripHost
{
public:
  StripHost();
  ~StripHost();
  StripHost(const StripHost&) = delete;
  StripHost& operator=(const StripHost&) = delete;

  Ostrakon& Plug() { return *mPlug; }

  // Sample rate and Reset, block size and Reset, then the host's initialisation:
  // every parameter applied in index order. Fails when the strip has no layout with
  // nChannels inputs and outputs.
  bool Prepare(double sampleRate, int blockSize, int nChannels, std::string* error);

  // One change as host automation makes it: resolve, clamp into the current range
  // (which earlier changes may have moved), set, notify.
  bool Apply(const ParamSetting& setting, std::string* error);

  // One block of nFrames <= the block size, one buffer per channel of the layout.
  // Allocates nothing.
  void Process(float** inputs, float** outputs, int nFrames);

private:
  std::unique_ptr<Ostrakon> mPlug;
  int mChannels = 0;
  bool mActive = false;
};
