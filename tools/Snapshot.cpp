#include "tools/Snapshot.h"

#include "host/PendingFile.h"
#include "tools/AudioFile.h"
#include "tools/StripHost.h"

#include "IPlug/IGraphicsHeadless.h"
#include "IPlug/IPlugAU.h"
#include "dsp/AnalogueClock.h"
#include "raster/Png.h"

#include <cstdlib>

namespace
{
// The analogue tolerances and noise are drawn from a fixed time, so a picture of the
// meters under signal is the same on every run.
constexpr long long kSnapshotAnalogueTime = 1767225600; // 2026-01-01 00:00:00 UTC
constexpr int kBlock = 512;
// Without a file the strip is set up as a host would for a stereo track.
constexpr int kDefaultRate = 48000;
// Repaints that bring knobs moved by a routing change to their places and let every
// control settle.
constexpr int kSettlingRepaints = 4;

// The strip runs in this process; its instance storage is the plug-in object.
IGraphicsHeadless* EditorOf(StripHost& host)
{
  IPlugAU* plug = static_cast<IPlugAU*>(host.Unit().Storage());
  return plug ? dynamic_cast<IGraphicsHeadless*>(plug->GetGUI()) : nullptr;
}

// Plays the file through the strip in real time as far as the editor can tell: one
// repaint for every frame period of audio, as the editor's timer would give.
bool PlayThrough(StripHost& host, AudioFileReader& reader, IGraphicsHeadless* editor, std::string* error)
{
  const int nChannels = reader.Channels();
  const long long framesPerRepaint = reader.SampleRate() / editor->FPS();
  std::vector<float> fileFrames((size_t) kBlock * nChannels);
  std::vector<float> channelData((size_t) kBlock * nChannels * 2);
  float* inputs[StripHost::kMaxChannels] = {};
  float* outputs[StripHost::kMaxChannels] = {};
  for (int c = 0; c < nChannels; ++c)
  {
    inputs[c] = channelData.data() + (size_t) c * kBlock;
    outputs[c] = channelData.data() + (size_t) (nChannels + c) * kBlock;
  }
  long long sinceRepaint = 0;
  for (;;)
  {
    const long long got = reader.Read(fileFrames.data(), kBlock, error);
    if (got < 0) return false;
    if (got == 0) return true;
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
    sinceRepaint += n;
    if (sinceRepaint >= framesPerRepaint)
    {
      sinceRepaint -= framesPerRepaint;
      editor->RepaintDirty();
    }
  }
}
} // namespace

bool WriteSnapshot(const std::string& outPath, const SnapshotOptions& options, std::string* error)
{
  AnalogueClock::SetFixed((time_t) kSnapshotAnalogueTime);
  srand((unsigned) kSnapshotAnalogueTime);

  StripHost host;
  if (!host.Open(error)) return false;
  PendingStripSettings settings;
  if (!settings.Check(host, options.strip, error)) return false;

  AudioFileReader reader;
  int rate = kDefaultRate, nChannels = 2;
  if (!options.audioPath.empty())
  {
    if (!reader.Open(options.audioPath, error)) return false;
    nChannels = reader.Channels();
    rate = reader.SampleRate();
    if (!host.CheckAudioFormat(options.audioPath, nChannels, rate, "played", error)) return false;
  }
  if (!host.Prepare(rate, kBlock, nChannels, error)) return false;
  if (!settings.Apply(host, error)) return false;

  IGraphicsHeadless* editor = EditorOf(host);
  if (!editor)
  {
    *error = "the strip has no editor to draw";
    return false;
  }
  if (!options.audioPath.empty() && !PlayThrough(host, reader, editor, error)) return false;

  // Two whole repaints, as two timer ticks under running audio give: the first moves the
  // knobs' parts to their places, the second draws them there. Then whatever is left.
  for (int i = 0; i < 2; ++i)
  {
    editor->SetAllControlsDirty();
    editor->RepaintDirty();
  }
  for (int i = 0; i < kSettlingRepaints && editor->RepaintDirty(); ++i)
  {
  }

  std::vector<unsigned char> png;
  if (!raster::EncodePNG(editor->GetDrawBitmap(), &png))
  {
    *error = "cannot encode the editor's picture";
    return false;
  }
  PendingFile out;
  return out.Open(outPath, error) && out.Write(png.data(), png.size(), error) && out.Commit(error);
}
