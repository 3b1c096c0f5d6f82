// The strip as a host drives it: one thread renders through the fast-dispatch address
// while another changes every parameter, restores saved states and toggles bypass
// (which re-initialises), as a host's interface thread does.

#include "tests/au/AUHost.h"

#include "IPlug/IGraphicsHeadless.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace
{
constexpr int kBlocks = 100000;
constexpr int kChanges = 100000;
constexpr int kMaxBlock = 256;
constexpr int kStates = 8;

struct Change
{
  enum Kind
  {
    kParam,
    kRestore,
    kBypass
  } kind;
  int idx; // parameter, state, or bypass on/off
  float value;
};

// A fixed random script over every parameter, values a little beyond each end of the
// table's range (the strip clamps them), with state restores and bypass toggles.
std::vector<Change> Script()
{
  std::mt19937 rng(20261208);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Change> script;
  for (int i = 0; i < kChanges; ++i)
  {
    const double pick = unit(rng);
    if (pick < 0.01)
      script.push_back({Change::kRestore, (int) (unit(rng) * kStates), 0.0f});
    else if (pick < 0.015)
      script.push_back({Change::kBypass, unit(rng) < 0.5 ? 1 : 0, 0.0f});
    else
    {
      const int idx = (int) (unit(rng) * kNumParams);
      const OstrakonParamSpec& p = kOstrakonParams[idx];
      const double span = p.maxValue - p.minValue;
      script.push_back({Change::kParam, idx, (float) (p.minValue - 0.1 * span + 1.2 * span * unit(rng))});
    }
  }
  return script;
}

// The host's input: a loud chord with noise, by sample time, so every block differs.
OSStatus Input(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
               AudioBufferList* io)
{
  const double t0 = ts->mSampleTime;
  for (UInt32 b = 0; b < io->mNumberBuffers; ++b)
  {
    float* d = (float*) io->mBuffers[b].mData;
    for (UInt32 i = 0; i < nFrames; ++i)
    {
      const double t = t0 + i;
      const unsigned h = (unsigned) (t * 2654435761.0) ^ (b * 40503u);
      d[i] = (float) (0.9 * std::sin(0.021 * t * (1 + b)) * std::sin(0.00013 * t) + 0.3 * std::sin(0.37 * t) +
                      0.05 * ((h & 0xffff) / 65536.0 - 0.5));
    }
  }
  return noErr;
}

OSStatus Prepare(AUHost& host)
{
  OSStatus r = host.Prepare(2, kMaxBlock, 48000.0, nullptr);
  const AURenderCallbackStruct cb = {Input, nullptr};
  if (r == noErr) r = host.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb);
  return r;
}

void Apply(AUHost& host, const Change& c, const std::vector<CFPropertyListRef>& states)
{
  switch (c.kind)
  {
    case Change::kParam: EXPECT_EQ(host.SetParam((AudioUnitParameterID) c.idx, c.value), noErr); break;
    case Change::kRestore:
      EXPECT_EQ(host.Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, states[(size_t) c.idx]), noErr);
      break;
    case Change::kBypass:
      EXPECT_EQ(host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, (UInt32) c.idx), noErr);
      break;
  }
}

// Everything the engine derives from the parameters: module settings and coefficients,
// gain factors, routing, the EQ's targets.
std::vector<double> Settings(Ostrakon& p)
{
  std::vector<double> v;
  const analog_eq& e = p.Eq();
  v.insert(v.end(), {e.hpFreq, (double) e.hpOn, e.lpUserFreq, (double) e.lpHz, e.highShelfFreq, e.highShelfGain,
                     e.lowShelfFreq, e.lowShelfGain, e.lowMidFreq, e.lowMidGain, e.lowMidQ, e.hiMidFreq,
                     e.hiMidGain, e.hiMidQ, e.filterFreq, e.filterGain, e.filterQ, (double) e.analogueOn,
                     (double) e.sampleRate, e.analogue.tolerance1});
  for (int s = 0; s < 2; ++s)
  {
    const VCACompressor& c = p.VCA(s);
    const VintageFETCompressor& f = p.FET(s);
    const VintageOptoCompressor& o = p.Opto(s);
    const expander& x = p.Expander(s);
    v.insert(v.end(), {c.attackMs, c.attackCoef, c.releaseMs, c.releaseCoef, c.ratio, c.threshold, c.rmsCoef,
                       (double) c.oversampling, (double) c.analogueOn, (double) c.analogue.sampleRate,
                       c.analogue.tolerance2, f.attackMs, f.attackCoef, f.releaseMs, f.releaseCoef, f.ratioAmount,
                       f.threshold, (double) f.oversampling, (double) f.analogue.sampleRate, o.threshold,
                       o.attackCoef, o.slowReleaseCoef, (double) o.oversampling, (double) o.analogue.sampleRate,
                       x.attackMs, x.attackCoef, x.releaseMs, x.releaseCoef, x.ratio, x.threshold});
  }
  for (int slot = 0; slot < 3; ++slot) v.push_back(p.GetRoutingSlot(slot));
  v.push_back(p.GetInputGainFactor());
  v.push_back(p.GetOutputGainFactor());
  return v;
}
} // namespace

TEST(ConcurrentStrip, RenderingWhileAnotherThreadChangesEverything)
{
  const std::vector<Change> script = Script();

  // Saved states to restore, each from a strip with every parameter at random.
  std::vector<CFPropertyListRef> states;
  {
    AUHost source;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < kStates; ++k)
    {
      for (int i = 0; i < kNumParams; ++i)
      {
        const OstrakonParamSpec& p = kOstrakonParams[i];
        source.SetParam((AudioUnitParameterID) i, (float) (p.minValue + (p.maxValue - p.minValue) * unit(rng)));
      }
      CFPropertyListRef state = nullptr;
      ASSERT_EQ(source.Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state), noErr);
      states.push_back(state);
    }
  }

  AUHost host;
  ASSERT_EQ(Prepare(host), noErr);
  // The strip's own editor, so that the audio thread's meter posts meet the interface
  // thread's parameter echoes, greying, rearranging and repaints.
  IGraphicsHeadless* editor = dynamic_cast<IGraphicsHeadless*>(host.Strip()->GetGUI());
  ASSERT_NE(editor, nullptr);
  ASSERT_EQ(editor->GetNControls(), 115);
  AudioUnitRenderProc render = nullptr;
  ASSERT_EQ(host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &render),
            noErr);
  void* storage = GetComponentInstanceStorage(host.unit);

  std::atomic<int> blocksDone{0};
  long refused = 0, nonFinite = 0, failed = 0;
  std::thread audio([&] {
    HostBufferList out(2, kMaxBlock);
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> length(0, kMaxBlock);
    double sampleTime = 0.0;
    for (int b = 0; b < kBlocks; ++b)
    {
      const int n = length(rng);
      for (int c = 0; c < 2; ++c)
      {
        out.Buffer(c).mData = out.Own(c);
        out.Buffer(c).mDataByteSize = (UInt32) (n * sizeof(float));
      }
      AudioUnitRenderActionFlags flags = 0;
      const AudioTimeStamp ts = Stamp(sampleTime);
      OSStatus r;
      // While a re-initialisation holds the strip the call is refused at once; a host
      // plays silence and calls again a period later.
      while ((r = render(storage, &flags, &ts, 0, (UInt32) n, out.List())) == kAudioUnitErr_CannotDoInCurrentContext)
      {
        ++refused;
        std::this_thread::yield();
      }
      if (r != noErr)
        ++failed;
      else
        for (int c = 0; c < 2; ++c)
          for (int i = 0; i < n; ++i)
            if (!std::isfinite(out.Own(c)[i])) ++nonFinite;
      sampleTime += n;
      blocksDone.store(b + 1, std::memory_order_release);
    }
  });

  // The changes keep pace with the blocks, so both run side by side to the end.
  for (int i = 0; i < kChanges; ++i)
  {
    while (i > blocksDone.load(std::memory_order_acquire) + 4 && blocksDone.load() < kBlocks)
      std::this_thread::yield();
    Apply(host, script[(size_t) i], states);
    if (i % 997 == 0) host.Param((AudioUnitParameterID) (i % kNumParams)); // what a host reads back
    if (i % 50 == 0) editor->RepaintDirty(); // the editor's timer
  }
  audio.join();

  EXPECT_EQ(failed, 0);
  EXPECT_EQ(nonFinite, 0);
  RecordProperty("refused", (int) refused);

  // Nothing was lost or torn on the way: the strip ends where the same script, played
  // on one thread, leaves a twin.
  AUHost twin;
  ASSERT_EQ(Prepare(twin), noErr);
  for (const Change& c : script) Apply(twin, c, states);
  host.Strip()->ApplyParamChanges();
  twin.Strip()->ApplyParamChanges();
  EXPECT_EQ(Settings(*host.Strip()), Settings(*twin.Strip()));
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(host.Param(i), twin.Param(i)) << i;

  for (CFPropertyListRef s : states) CFRelease(s);
}

TEST(ConcurrentStrip, AChangeMadeOnTheAudioThreadReachesTheBlockThatFollows)
{
  // An adapter may apply a host's parameter changes on the audio thread just before a
  // block: the block must hear them, exactly as if they were made anywhere else first.
  constexpr int kRuns = 64, kFrames = 200;
  auto play = [](AUHost& host, bool onOwnThread, std::vector<float>& left) {
    AudioUnitRenderProc render = nullptr;
    AudioUnitSetParameterProc setParam = nullptr;
    host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &render);
    host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitSetParameterSelect, &setParam);
    void* storage = GetComponentInstanceStorage(host.unit);
    auto run = [&] {
      HostBufferList out(2, kFrames);
      for (int k = 0; k < kRuns; ++k)
      {
        setParam(storage, kOutputGain, kAudioUnitScope_Global, 0, k % 2 ? -20.0f : 0.0f, 0);
        setParam(storage, kDyn1Thresh, kAudioUnitScope_Global, 0, -3.0f * (k % 7), 0);
        AudioUnitRenderActionFlags flags = 0;
        const AudioTimeStamp ts = Stamp((double) k * kFrames);
        if (render(storage, &flags, &ts, 0, kFrames, out.List()) != noErr) return;
        left.insert(left.end(), out.Own(0), out.Own(0) + kFrames);
      }
    };
    if (onOwnThread)
      std::thread(run).join();
    else
      run();
  };
  AUHost audioThread;
  ASSERT_EQ(Prepare(audioThread), noErr);
  std::vector<float> fromAudioThread, fromOneThread, unchanged;
  play(audioThread, true, fromAudioThread);
  AUHost oneThread;
  ASSERT_EQ(Prepare(oneThread), noErr);
  play(oneThread, false, fromOneThread);
  ASSERT_EQ(fromAudioThread.size(), (size_t) kRuns * kFrames);
  EXPECT_EQ(fromAudioThread, fromOneThread);

  // And the block itself heard the new gain: -20 dB blocks are a tenth of their twins.
  AUHost plain;
  ASSERT_EQ(Prepare(plain), noErr);
  AudioUnitRenderProc render = nullptr;
  plain.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &render);
  HostBufferList out(2, kFrames);
  for (int k = 0; k < kRuns; ++k)
  {
    plain.SetParam(kDyn1Thresh, -3.0f * (k % 7));
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp ts = Stamp((double) k * kFrames);
    ASSERT_EQ(render(GetComponentInstanceStorage(plain.unit), &flags, &ts, 0, kFrames, out.List()), noErr);
    unchanged.insert(unchanged.end(), out.Own(0), out.Own(0) + kFrames);
  }
  const double tenth = std::exp(-20.0 * 0.1151292546497);
  for (size_t i = 0; i < unchanged.size(); ++i)
  {
    const double gain = (i / kFrames) % 2 ? tenth : 1.0;
    ASSERT_NEAR(fromAudioThread[i], unchanged[i] * gain, 1e-6 * std::fabs(unchanged[i]) + 1e-30) << i;
  }
}
