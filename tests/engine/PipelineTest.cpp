#include "engine/Ostrakon.h"

#include "IPlug/IGraphicsHeadless.h"
#include "tests/support/TestControl.h"
#include "tests/engine/StripHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <algorithm>
#include <random>

namespace
{
std::vector<double> Noise(int n, unsigned seed, double lo = -1.0, double hi = 1.0)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> d(lo, hi);
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

double MaxOf(const std::vector<double>& v)
{
  double m = 0.0;
  for (double x : v) m = x > m ? x : m;
  return m;
}
} // namespace

TEST(Pipeline, DefaultsPassAudioWithTheDenormalOffset)
{
  StripHarness h;
  h.BypassStages();
  const auto l = Noise(300, 1), r = Noise(300, 2);
  std::vector<double> ol, orr;
  h.Run(l, r, ol, orr, 512);
  for (int i = 0; i < 300; ++i)
  {
    ASSERT_EQ(ol[i], l[i] + 1e-24);
    ASSERT_EQ(orr[i], r[i] + 1e-24);
  }
  EXPECT_EQ(h.plug->GetPeak(Ostrakon::kMeterInL), MaxOf(l));
  EXPECT_EQ(h.plug->GetPeak(Ostrakon::kMeterOutR), MaxOf(r) + 1e-24);
}

TEST(Pipeline, PhaseReverseNegatesBeforeTheOffset)
{
  StripHarness h;
  h.BypassStages();
  h.Set(kRevPhase, 1.0);
  const auto l = Noise(256, 3), r = Noise(256, 4);
  std::vector<double> ol, orr;
  h.Run(l, r, ol, orr, 256);
  for (int i = 0; i < 256; ++i)
  {
    ASSERT_EQ(ol[i], -l[i] + 1e-24);
    ASSERT_EQ(orr[i], -r[i] + 1e-24);
  }
}

TEST(Pipeline, GainsScaleInAndOut)
{
  StripHarness h;
  h.BypassStages();
  h.Set(kInputGain, 6.0);
  h.Set(kOutputGain, -12.5);
  const double gIn = std::exp(6.0 * 0.1151292546497), gOut = std::exp(-12.5 * 0.1151292546497);
  EXPECT_EQ(h.plug->GetInputGainFactor(), gIn);
  EXPECT_EQ(h.plug->GetOutputGainFactor(), gOut);
  const auto l = Noise(100, 5), r = Noise(100, 6);
  std::vector<double> ol, orr;
  h.Run(l, r, ol, orr, 100);
  double peakIn = 0.0, peakOut = 0.0;
  for (int i = 0; i < 100; ++i)
  {
    const double x = l[i] * gIn;
    peakIn = x > peakIn ? x : peakIn;
    const double y = (x + 1e-24) * gOut;
    peakOut = y > peakOut ? y : peakOut;
    ASSERT_EQ(ol[i], y);
  }
  EXPECT_EQ(h.plug->GetPeak(Ostrakon::kMeterInL), peakIn);
  EXPECT_EQ(h.plug->GetPeak(Ostrakon::kMeterOutL), peakOut);
}

TEST(Pipeline, PeaksAreSignedAndZeroForEmptyBlocks)
{
  StripHarness h;
  h.BypassStages();
  const auto neg = Noise(64, 7, -1.0, -0.01);
  std::vector<double> ol, orr;
  h.Run(neg, neg, ol, orr, 64);
  for (int m = 0; m < Ostrakon::kNumPeakMeters; ++m)
    EXPECT_EQ(h.plug->GetPeak((Ostrakon::EPeakMeter) m), 0.0);

  h.Run(Noise(64, 8), Noise(64, 9), ol, orr, 64);
  EXPECT_GT(h.plug->GetPeak(Ostrakon::kMeterInL), 0.0);
  double* none[2] = {nullptr, nullptr};
  h.plug->ProcessDoubleReplacing(none, none, 0);
  for (int m = 0; m < Ostrakon::kNumPeakMeters; ++m)
    EXPECT_EQ(h.plug->GetPeak((Ostrakon::EPeakMeter) m), 0.0);
}

TEST(Pipeline, NonFiniteInputIsSilenced)
{
  StripHarness h;
  h.BypassStages();
  auto l = Noise(32, 10), r = Noise(32, 11);
  l[3] = std::numeric_limits<double>::quiet_NaN();
  r[4] = std::numeric_limits<double>::infinity();
  l[5] = -std::numeric_limits<double>::infinity();
  std::vector<double> ol, orr;
  h.Run(l, r, ol, orr, 32);
  EXPECT_EQ(ol[3], 1e-24);
  EXPECT_EQ(orr[4], 1e-24);
  EXPECT_EQ(ol[5], 1e-24);
  EXPECT_EQ(ol[6], l[6] + 1e-24);
  EXPECT_TRUE(std::isfinite(h.plug->GetPeak(Ostrakon::kMeterInR)));
}

TEST(Pipeline, LongBlocksRunInPiecesLikeShortOnes)
{
  const int n = 3 * Ostrakon::kMaxPieceFrames + 123;
  const auto l = Noise(n, 12), r = Noise(n, 13);
  StripHarness whole(n), pieces(Ostrakon::kMaxPieceFrames);
  whole.BypassStages();
  pieces.BypassStages();
  whole.Set(kInputGain, 3.0);
  pieces.Set(kInputGain, 3.0);
  std::vector<double> wl, wr, pl, pr;
  whole.Run(l, r, wl, wr, n);
  pieces.Run(l, r, pl, pr, Ostrakon::kMaxPieceFrames);
  EXPECT_EQ(wl, pl);
  EXPECT_EQ(wr, pr);
  // The meters read the whole block, not its last piece.
  double peak = 0.0;
  for (double x : l) peak = std::max(peak, x * whole.plug->GetInputGainFactor());
  EXPECT_EQ(whole.plug->GetPeak(Ostrakon::kMeterInL), peak);
}

TEST(Pipeline, InPlaceBuffers)
{
  StripHarness h;
  h.BypassStages();
  h.Set(kRevPhase, 1.0);
  auto l = Noise(128, 14), r = Noise(128, 15);
  const auto l0 = l, r0 = r;
  double* io[] = {l.data(), r.data()};
  h.plug->ProcessDoubleReplacing(io, io, 128);
  for (int i = 0; i < 128; ++i)
  {
    ASSERT_EQ(l[i], -l0[i] + 1e-24);
    ASSERT_EQ(r[i], -r0[i] + 1e-24);
  }
}

TEST(Pipeline, MonoHostGetsStereoInsideAndMonoOut)
{
  StripHarness h(64, false);
  h.BypassStages();
  std::vector<float> in(64), out(64, 9.0f);
  for (int i = 0; i < 64; ++i) in[i] = (float) std::sin(i * 0.1);
  float* ins[] = {in.data()};
  float* outs[] = {out.data()};
  h.plug->AttachInputBuffers(0, 2, ins, 64);
  h.plug->AttachOutputBuffers(0, 2, outs);
  h.plug->ProcessBuffers(0.0f, 64);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(out[i], (float) ((double) in[i] + 1e-24));
  // The silent second input meters nothing but the offset it received.
  EXPECT_EQ(h.plug->GetPeak(Ostrakon::kMeterInR), 0.0);
  EXPECT_EQ(h.plug->GetPeak(Ostrakon::kMeterOutR), 1e-24);
}

TEST(Pipeline, RoutingSlots)
{
  StripHarness h;
  h.BypassStages();
  auto slots = [&] {
    return std::vector<int>{h.plug->GetRoutingSlot(0), h.plug->GetRoutingSlot(1),
                            h.plug->GetRoutingSlot(2)};
  };
  EXPECT_EQ(slots(), (std::vector<int>{1, 0, 2}));
  h.Set(kRouting, 1);
  EXPECT_EQ(slots(), (std::vector<int>{0, 1, 2}));
  h.Set(kRouting, 2);
  EXPECT_EQ(slots(), (std::vector<int>{1, 2, 0}));
  h.Set(kRouting, 7);
  EXPECT_EQ(slots(), (std::vector<int>{1, 2, 0}));
  h.Set(kRouting, 0);
  EXPECT_EQ(slots(), (std::vector<int>{1, 0, 2}));

  // Before any parameter is applied the strip already uses the defaults.
  std::unique_ptr<Ostrakon> fresh(MakePlug());
  EXPECT_EQ(fresh->GetRoutingSlot(0), 1);
  EXPECT_EQ(fresh->GetInputGainFactor(), 1.0);
  EXPECT_EQ(fresh->GetOutputGainFactor(), 1.0);
}

TEST(Pipeline, MetersArePostedInOrderAndControlsDirtied)
{
  StripHarness h;
  h.BypassStages();
  IGraphics* g = new IGraphicsHeadless(h.plug.get(), 460, 640);
  int idx[Ostrakon::kNumPeakMeters];
  for (int& i : idx) i = g->AttachControl(new TestControl(h.plug.get()));
  const int other = g->AttachControl(new TestControl(h.plug.get()));
  Ostrakon::MeterControls mc;
  for (int i = 0; i < 4; ++i) mc.strip[i] = idx[i];
  h.plug->SetMeterControls(mc);
  h.plug->AttachGraphics(g);

  std::vector<double> l = {0.1, 0.7, -0.2}, r = {0.4, 0.3, 0.2}, ol, orr;
  h.Set(kOutputGain, -6.0);
  h.Run(l, r, ol, orr, 3); // the first value becomes each meter's default
  for (int i = 0; i < 4; ++i) g->GetControl(idx[i])->SetClean();
  g->GetControl(other)->SetClean();
  l = {0.5, 0.25, 0.0};
  r = {-0.5, 0.125, -0.25};
  h.Run(l, r, ol, orr, 3);
  const double gOut = h.plug->GetOutputGainFactor();
  EXPECT_EQ(g->GetControl(idx[0])->GetValue(), 0.5);
  EXPECT_EQ(g->GetControl(idx[1])->GetValue(), 0.125);
  EXPECT_EQ(g->GetControl(idx[2])->GetValue(), (0.5 + 1e-24) * gOut);
  EXPECT_EQ(g->GetControl(idx[3])->GetValue(), (0.125 + 1e-24) * gOut);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(g->GetControl(idx[i])->IsDirty());
  EXPECT_TRUE(g->GetControl(other)->IsDirty());

  // A zero-frame block sends zeros.
  double* none[2] = {nullptr, nullptr};
  h.plug->ProcessDoubleReplacing(none, none, 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(g->GetControl(idx[i])->GetValue(), 0.0);
}

// A block longer than a piece meters as one block: every stage's peaks are the maximum
// over the pieces, and a compressor's reading is the smallest gain of the whole block,
// as a twin fed the same audio in piece-sized blocks sees it over those blocks.
TEST(Pipeline, LongBlocksMeterTheWholeBlockInEveryStage)
{
  const int piece = Ostrakon::kMaxPieceFrames, n = 3 * piece + 100;
  std::vector<double> l(n), r(n);
  for (int i = 0; i < n; ++i)
  {
    const double level = i < piece ? 0.9 : 0.05; // loud first piece, quiet rest
    l[i] = level * std::sin(0.05 * i);
    r[i] = level * std::cos(0.03 * i);
  }
  struct Rig
  {
    explicit Rig(int block) : h(block)
    {
      IGraphics* g = new IGraphicsHeadless(h.plug.get(), 460, 640);
      auto add = [&] {
        const int idx = g->AttachControl(new TestControl(h.plug.get()));
        g->SetControlFromPlug(idx, 0.0); // spend the first value on the default
        return idx;
      };
      for (int& i : mc.eq) i = add();
      for (auto& d : mc.dyn)
        for (int& i : d) i = add();
      for (int& i : mc.gainReduction) i = add();
      h.plug->SetMeterControls(mc);
      h.plug->AttachGraphics(g);
      h.Set(kHiMidGain, 6.0);
      h.Set(kDyn1Thresh, -40.0);
      h.Set(kDyn1Ratio, 8.0);
    }
    double Value(int idx) { return h.plug->GetGUI()->GetControl(idx)->GetValue(); }
    StripHarness h;
    Ostrakon::MeterControls mc;
  };
  Rig whole(n), pieces(piece);
  std::vector<double> ol, orr;
  whole.h.Run(l, r, ol, orr, n);

  std::vector<double> maxima(9, 0.0);
  double minGain = 1.0;
  for (int done = 0; done < n; done += piece)
  {
    const int len = std::min(piece, n - done);
    std::vector<double> bl(l.begin() + done, l.begin() + done + len), br(r.begin() + done, r.begin() + done + len);
    pieces.h.Run(bl, br, ol, orr, len);
    for (int i = 0; i < 4; ++i) maxima[i] = std::max(maxima[i], pieces.Value(pieces.mc.eq[i]));
    for (int i = 0; i < 4; ++i) maxima[4 + i] = std::max(maxima[4 + i], pieces.Value(pieces.mc.dyn[0][i]));
    minGain = std::min(minGain, pieces.Value(pieces.mc.gainReduction[0]));
  }
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(whole.Value(whole.mc.eq[i]), maxima[i]) << i;
    EXPECT_EQ(whole.Value(whole.mc.dyn[0][i]), maxima[4 + i]) << i;
  }
  EXPECT_LT(minGain, 0.5);
  EXPECT_EQ(whole.Value(whole.mc.gainReduction[0]), minGain);
  EXPECT_EQ(whole.h.plug->GetGainReduction(0), minGain);
}
