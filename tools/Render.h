#pragma once
// `ostrakon render`: an audio file through the strip, block by block, into a 32-bit
// float WAV at the input's rate with the input's channel count.

#include "tools/ParamSetting.h"

#include <string>
#include <vector>

constexpr int kDefaultRenderBlock = 512;
constexpr int kMaxRenderBlock = 65536;

struct RenderOptions
{
  int blockSize = kDefaultRenderBlock;
  std::vector<ParamSetting> settings; // applied in order, after the initialisation
  // The analogue stages draw their component tolerances from the calendar time; a
  // fixed time (seconds since the epoch) makes the render repeatable bit for bit.
  bool fixedAnalogueTime = false;
  long long analogueTime = 0;
};

// On failure nothing is left at outPath, and a file already there is untouched.
bool RenderFile(const std::string& inPath, const std::string& outPath,
                const RenderOptions& options, std::string* error);
