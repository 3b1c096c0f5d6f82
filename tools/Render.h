#pragma once
// `ostrakon render`: an audio file through the strip, block by block, into a 32-bit
// float WAV at the input's rate with the input's channel count.

#include "tools/StripSettings.h"

#include <string>
#include <vector>

constexpr int kDefaultRenderBlock = 512;
constexpr int kMaxRenderBlock = 65536;

struct RenderOptions
{
  int blockSize = kDefaultRenderBlock;
  StripSettings strip;                // a preset, then settings, after the initialisation
  std::string savePresetPath;         // the state after the settings, as its extension says
  // The analogue stages draw their component tolerances from the calendar time; a
  // fixed time (seconds since the epoch) makes the render repeatable bit for bit.
  bool fixedAnalogueTime = false;
  long long analogueTime = 0;
};

// On failure nothing is left at outPath or savePresetPath, and files already there are
// untouched.
bool RenderFile(const std::string& inPath, const std::string& outPath,
                const RenderOptions& options, std::string* error);
