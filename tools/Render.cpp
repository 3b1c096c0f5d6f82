#include "tools/Render.h"

#include "host/PendingFile.h"
#include "tools/AudioFile.h"
#include "tools/StripHost.h"

#include "dsp/AnalogueClock.h"

#include <cstdlib>

bool RenderFile(const std::string& inPath, const std::string& outPath,
                const RenderOptions& options, std::string* error)
{
  if (options.blockSize < 1 || options.blockSize > kMaxRenderBlock)
  {
    *error = "block size " + std::to_string(options.blockSize) + " is outside 1.." +
             std::to_string(kMaxRenderBlock);
    return false;
  }

  // The construction-time draws follow the same time, so a repeatable render does not
  // depend on what ran before it in this process.
  if (options.fixedAnalogueTime)
  {
    AnalogueClock::SetFixed((time_t) options.analogueTime);
    srand((unsigned) options.analogueTime);
  }
  else
  {
    AnalogueClock::UseSystemTime();
  }

  // Names and the preset are checked before any file is touched; values need the
  // current ranges and are checked as they are applied.
  StripHost host;
  if (!host.Open(error)) return false;
  PendingStripSettings settings;
  if (!settings.Check(host, options.strip, error)) return false;

  AudioFileReader reader;
  if (!reader.Open(inPath, error)) return false;
  const int nChannels = reader.Channels();
  const int rate = reader.SampleRate();
  if (!host.CheckAudioFormat(inPath, nChannels, rate, "rendered", error)) return false;
  if (!host.Prepare(rate, options.blockSize, nChannels, error)) return false;
  if (!settings.Apply(host, error)) return false;

  // Written beside its destination now, put in place with the audio.
  PendingFile savedPreset;
  if (!options.savePresetPath.empty())
  {
    std::string bytes;
    if (!EncodeStripState(host, options.savePresetPath, &bytes, error)) return false;
    if (!savedPreset.Open(options.savePresetPath, error) || !savedPreset.Write(bytes.data(), bytes.size(), error))
      return false;
  }

  AudioFileWriter writer;
  if (!writer.Open(outPath, rate, nChannels, error)) return false;

  // Buffers are sized once, here; the files are read and written between render
  // calls, never inside one.
  const int block = options.blockSize;
  std::vector<float> fileFrames((size_t) block * nChannels);
  std::vector<float> channelData((size_t) block * nChannels * 2);
  float* inputs[StripHost::kMaxChannels] = {};
  float* outputs[StripHost::kMaxChannels] = {};
  for (int c = 0; c < nChannels; ++c)
  {
    inputs[c] = channelData.data() + (size_t) c * block;
    outputs[c] = channelData.data() + (size_t) (nChannels + c) * block;
  }

  for (;;)
  {
    const long long got = reader.Read(fileFrames.data(), block, error);
    if (got < 0) return false;
    if (got == 0) break;
    const int n = (int) got;
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < nChannels; ++c) inputs[c][i] = fileFrames[(size_t) i * nChannels + c];
    const OSStatus r = host.Process(inputs, outputs, n);
    if (r != noErr)
    {
      *error = "the strip refused to render a block of " + std::to_string(n) + " frames (status " +
               std::to_string((int) r) + ")";
      return false;
    }
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < nChannels; ++c) fileFrames[(size_t) i * nChannels + c] = outputs[c][i];
    if (!writer.Write(fileFrames.data(), n, error)) return false;
  }
  if (!writer.Commit(error)) return false;
  return options.savePresetPath.empty() || savedPreset.Commit(error);
}
