#include "tools/Editor.h"

#include "host/PendingFile.h"
#include "tools/AudioFile.h"
#include "tools/StripHost.h"

#include "IPlug/IGraphicsX11.h"
#include "IPlug/IPlugAU.h"
#include "dsp/AnalogueClock.h"
#include "editor/EditorGraphicsKind.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace
{
constexpr int kBlock = 512;
constexpr int kDefaultRate = 48000;

std::atomic<bool> gStop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

void OnStopSignal(int) { gStop.store(true); }

// SIGINT and SIGTERM set gStop while it lives; the handlers before are restored after.
class StopSignals
{
public:
  StopSignals()
  {
    gStop.store(false);
    struct sigaction sa = {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &mOldInt);
    sigaction(SIGTERM, &sa, &mOldTerm);
  }
  ~StopSignals()
  {
    sigaction(SIGINT, &mOldInt, nullptr);
    sigaction(SIGTERM, &mOldTerm, nullptr);
  }

private:
  struct sigaction mOldInt = {}, mOldTerm = {};
};

// The file (or, without one, silence) through the strip block by block, paced by the
// clock as a sound card would, from the start again at its end; until stopped. As under
// a host whose transport runs, the editor then follows the audio: meters, and every
// control repainted after each block. The host's render call is the only call into the
// strip made here.
class LoopPlayer
{
public:
  LoopPlayer(StripHost& host, const std::string& path, int nChannels, int rate)
    : mHost(host), mPath(path), mChannels(nChannels), mRate(rate)
  {
  }

  void Start(std::string* error)
  {
    mThread = std::thread([this, error] { Play(error); });
  }
  // Stops the thread; false when it stopped on an error of its own (then in *error).
  bool Stop()
  {
    mStop.store(true);
    if (mThread.joinable()) mThread.join();
    return !mFailed.load();
  }
  bool Failed() const { return mFailed.load(); }

private:
  void Play(std::string* error)
  {
    using Clock = std::chrono::steady_clock;
    std::vector<float> fileFrames((size_t) kBlock * mChannels);
    std::vector<float> channelData((size_t) kBlock * mChannels * 2);
    float* inputs[StripHost::kMaxChannels] = {};
    float* outputs[StripHost::kMaxChannels] = {};
    for (int c = 0; c < mChannels; ++c)
    {
      inputs[c] = channelData.data() + (size_t) c * kBlock;
      outputs[c] = channelData.data() + (size_t) (mChannels + c) * kBlock;
    }
    std::string problem;
    std::unique_ptr<AudioFileReader> reader;
    Clock::time_point due = Clock::now();
    while (!mStop.load())
    {
      if (!reader && !mPath.empty())
      {
        reader = std::make_unique<AudioFileReader>();
        if (!reader->Open(mPath, &problem)) break;
      }
      const long long got = reader ? reader->Read(fileFrames.data(), kBlock, &problem) : kBlock;
      if (got < 0) break;
      if (got == 0)
      {
        reader.reset(); // from the start again
        continue;
      }
      const int n = (int) got;
      for (int i = 0; i < n; ++i)
        for (int c = 0; c < mChannels; ++c) inputs[c][i] = fileFrames[(size_t) i * mChannels + c];
      if (mHost.Process(inputs, outputs, n) != noErr)
      {
        problem = "the strip refused to render a block of " + std::to_string(n) + " frames";
        break;
      }
      due += std::chrono::microseconds((long long) n * 1000000 / mRate);
      const Clock::time_point now = Clock::now();
      if (due < now - std::chrono::milliseconds(200)) due = now; // after a stall, no burst
      std::this_thread::sleep_until(due);
    }
    if (!mStop.load())
    {
      *error = problem;
      mFailed.store(true);
      gStop.store(true); // the window goes too
    }
  }

  StripHost& mHost;
  std::string mPath;
  int mChannels, mRate;
  std::thread mThread;
  std::atomic<bool> mStop{false}, mFailed{false};
};
} // namespace

bool RunEditor(const EditorOptions& options, std::string* error)
{
  // The strip made from here on gets its editor in a window.
  SetEditorGraphicsKind(EditorGraphicsKind::X11);
  AnalogueClock::UseSystemTime();

  StripHost host;
  if (!host.Open(error)) return false;
  PendingStripSettings settings;
  if (!settings.Check(host, options.strip, error)) return false;

  int rate = kDefaultRate, nChannels = 2;
  if (!options.audioPath.empty())
  {
    AudioFileReader reader;
    if (!reader.Open(options.audioPath, error)) return false;
    nChannels = reader.Channels();
    rate = reader.SampleRate();
    if (!host.CheckAudioFormat(options.audioPath, nChannels, rate, "played", error)) return false;
  }
  if (!host.Prepare(rate, kBlock, nChannels, error)) return false;
  if (!settings.Apply(host, error)) return false;

  // Written beside its destination at the end, put in place once complete.
  PendingFile savedPreset;
  if (!options.savePresetPath.empty() && !savedPreset.Open(options.savePresetPath, error)) return false;

  IPlugAU* plug = static_cast<IPlugAU*>(host.Unit().Storage());
  IGraphicsX11* editor = plug ? dynamic_cast<IGraphicsX11*>(plug->GetGUI()) : nullptr;
  if (!editor)
  {
    *error = "the strip has no editor to show";
    return false;
  }
  // From the moment the window can be seen, SIGINT and SIGTERM end the editor cleanly.
  StopSignals signals;
  const char* display = getenv("DISPLAY");
  if (!editor->OpenWindow(nullptr))
  {
    *error = std::string("cannot open a window on the X display '") + (display ? display : "") + "'";
    return false;
  }

  {
    LoopPlayer player(host, options.audioPath, nChannels, rate);
    std::string playError;
    player.Start(&playError);
    editor->Run(&gStop);
    if (!player.Stop())
    {
      editor->CloseWindow();
      *error = playError;
      return false;
    }
    editor->CloseWindow();
  }

  if (options.savePresetPath.empty()) return true;
  std::string bytes;
  return EncodeStripState(host, options.savePresetPath, &bytes, error) &&
         savedPreset.Write(bytes.data(), bytes.size(), error) && savedPreset.Commit(error);
}
