// Parameter changes: the module laws of the dynamics parameters, the type re-ranging,
// oversampling, the analogue switch, Reset, and the stage order of each routing.

#include "tests/engine/StripHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{
const int kThresh[2] = {kDyn1Thresh, kDyn2Thresh}, kAttack[2] = {kDyn1Attack, kDyn2Attack},
          kRelease[2] = {kDyn1Release, kDyn2Release}, kRatio[2] = {kDyn1Ratio, kDyn2Ratio},
          kType[2] = {kDyn1Type, kDyn2Type};

double Coef(double ms, int rate) { return std::exp(-1.0 / (ms / 1000.0 * rate)); }
double ExpanderCoef(float ms, int rate) { return std::exp(-1.0 / (double) ((float) rate * (ms / 1000.0f))); }
double OptoCoef(double seconds, int rate) { return (double) expf((float) (-1.0 / (rate * seconds))); }

// Sets parameter idx at normalised position t.
void SetNormalized(StripHarness& h, int idx, double t)
{
  h.plug->GetParam(idx)->SetNormalized(t);
  h.plug->OnParamChange(idx);
  h.plug->ApplyParamChanges();
}

// Every module setting a parameter change may write, for both slots.
std::vector<double> ModuleSettings(Ostrakon& p)
{
  std::vector<double> v;
  for (int s = 0; s < 2; ++s)
  {
    const VCACompressor& c = p.VCA(s);
    const VintageFETCompressor& f = p.FET(s);
    const VintageOptoCompressor& o = p.Opto(s);
    const expander& x = p.Expander(s);
    v.insert(v.end(), {c.attackMs, c.attackCoef, c.releaseMs, c.releaseCoef, c.ratio, c.threshold,
                       c.rmsCoef, f.attackMs, f.attackCoef, f.releaseMs, f.releaseCoef, f.ratioAmount,
                       f.threshold, o.threshold, o.attackCoef, x.attackMs, x.attackCoef, x.releaseMs,
                       x.releaseCoef, x.ratio, x.threshold});
  }
  return v;
}
} // namespace

TEST(ParamChange, AttackFollowsTheKnobPositionNotTheDisplayedRange)
{
  for (int s = 0; s < 2; ++s)
  {
    StripHarness h;
    IParam* attack = h.plug->GetParam(kAttack[s]);
    h.Set(kAttack[s], 8.25);
    EXPECT_EQ(attack->GetNormalized(), 0.5);
    EXPECT_EQ(h.plug->VCA(s).attackMs, 15.5);
    EXPECT_EQ(h.plug->VCA(s).attackCoef, Coef(15.5, 44100));
    EXPECT_NEAR(h.plug->FET(s).attackMs, 0.615, 1e-15);
    EXPECT_EQ(h.plug->FET(s).attackCoef, Coef(h.plug->FET(s).attackMs, 44100));
    EXPECT_EQ(h.plug->Expander(s).attackMs, 15.5f);
    EXPECT_EQ(h.plug->Expander(s).attackCoef, ExpanderCoef(15.5f, 44100));

    // FET: the knob keeps its place in the new range, and no module hears of it.
    const auto before = ModuleSettings(*h.plug);
    const double tR = h.plug->GetParam(kRelease[s])->GetNormalized();
    h.Set(kType[s], 1);
    EXPECT_DOUBLE_EQ(attack->Value(), 0.215);
    EXPECT_EQ(attack->GetMin(), 0.02);
    EXPECT_EQ(attack->GetMax(), 0.8);
    EXPECT_EQ(attack->GetDefault(), 0.02);
    EXPECT_EQ(attack->GetPrecision(), 2);
    EXPECT_EQ(attack->GetShape(), 2.0);
    EXPECT_EQ(attack->Type(), IParam::kTypeDouble);
    EXPECT_STREQ(attack->GetNameForHost(), kOstrakonParams[kAttack[s]].name);
    EXPECT_STREQ(attack->GetLabel(), "ms");
    EXPECT_EQ(h.plug->GetParam(kRelease[s])->GetMax(), 1200.0);
    EXPECT_DOUBLE_EQ(h.plug->GetParam(kRelease[s])->GetNormalized(), tR);
    EXPECT_EQ(ModuleSettings(*h.plug), before);

    // Type by type, from the table: OPTO and unknown types keep the last ranges.
    IParam* release = h.plug->GetParam(kRelease[s]);
    int shown = kDynFET;
    for (int type : {(int) kDynOpto, (int) kDynExpander, 7, (int) kDynVCA, (int) kDynFET, (int) kDynOpto})
    {
      h.Set(kType[s], type);
      if (type < kNumDynTypes && kDynTimeRanges[type].ranged) shown = type;
      const DynTimeRanges& r = kDynTimeRanges[shown];
      EXPECT_EQ(attack->GetMin(), r.attack.minValue) << type;
      EXPECT_EQ(attack->GetMax(), r.attack.maxValue) << type;
      EXPECT_EQ(attack->GetDefault(), r.attack.defaultValue) << type;
      EXPECT_EQ(release->GetMin(), r.release.minValue) << type;
      EXPECT_EQ(release->GetMax(), r.release.maxValue) << type;
      EXPECT_EQ(release->GetDefault(), r.release.defaultValue) << type;
      EXPECT_DOUBLE_EQ(attack->GetNormalized(), 0.5) << type;
      EXPECT_DOUBLE_EQ(release->GetNormalized(), tR) << type;
    }
    EXPECT_EQ(ModuleSettings(*h.plug), before);

    // The same position under the FET's display gives the same module times.
    SetNormalized(h, kAttack[s], 0.3);
    const auto asVca = ModuleSettings(*h.plug);
    h.Set(kType[s], 1);
    SetNormalized(h, kAttack[s], 0.3);
    EXPECT_EQ(ModuleSettings(*h.plug), asVca);
  }
}

TEST(ParamChange, ReleaseAndRatioLawsInSinglePrecision)
{
  StripHarness h;
  const double t = std::sqrt(0.3); // not a float
  const float a = (float) t;
  for (int s = 0; s < 2; ++s)
  {
    SetNormalized(h, kRelease[s], t);
    SetNormalized(h, kRatio[s], t);
    const VCACompressor& c = h.plug->VCA(s);
    const VintageFETCompressor& f = h.plug->FET(s);
    const expander& x = h.plug->Expander(s);
    EXPECT_EQ(c.releaseMs, (double) (3900.0f * a + 100.0f));
    EXPECT_NE(c.releaseMs, 3900.0 * t + 100.0);
    EXPECT_EQ(c.releaseCoef, Coef(c.releaseMs, 44100));
    EXPECT_EQ(f.releaseMs, (double) (1150.0f * a + 50.0f) * 1.3);
    EXPECT_EQ(f.releaseCoef, Coef(f.releaseMs, 44100));
    EXPECT_EQ(x.releaseMs, 950.0f * a + 50.0f);
    EXPECT_EQ(x.releaseCoef, ExpanderCoef(x.releaseMs, 44100));
    EXPECT_NE(x.releaseCoef, Coef(x.releaseMs, 44100)) << "the rate-times-seconds product is single";

    EXPECT_EQ(c.ratio, (double) (19.0f * a + 1.0f));
    EXPECT_NE(c.ratio, 19.0 * t + 1.0);
    EXPECT_EQ(f.ratioAmount, (double) a);
    EXPECT_EQ(x.ratio, (double) (19.0f * a + 1.0f));
  }
  // The expander's attack law, and its single-precision coefficient.
  SetNormalized(h, kDyn1Attack, t);
  EXPECT_EQ(h.plug->Expander(0).attackMs, 29.0f * a + 1.0f);
  EXPECT_EQ(h.plug->Expander(0).attackCoef, ExpanderCoef(29.0f * a + 1.0f, 44100));
}

TEST(ParamChange, TimeLawsSpanTheirTypesRanges)
{
  // Each module's times run across its own type's knob range (the FET's scaled up),
  // whatever the slot shows.
  StripHarness h;
  const DynTimeRanges &vca = kDynTimeRanges[kDynVCA], &fet = kDynTimeRanges[kDynFET],
                      &exp = kDynTimeRanges[kDynExpander];
  for (double t : {0.0, 1.0})
  {
    const bool top = t == 1.0;
    SetNormalized(h, kDyn2Attack, t);
    SetNormalized(h, kDyn2Release, t);
    EXPECT_EQ(h.plug->VCA(1).attackMs, top ? vca.attack.maxValue : vca.attack.minValue);
    EXPECT_EQ(h.plug->VCA(1).releaseMs, top ? vca.release.maxValue : vca.release.minValue);
    EXPECT_DOUBLE_EQ(h.plug->FET(1).attackMs, 1.5 * (top ? fet.attack.maxValue : fet.attack.minValue));
    EXPECT_DOUBLE_EQ(h.plug->FET(1).releaseMs, 1.3 * (top ? fet.release.maxValue : fet.release.minValue));
    EXPECT_EQ(h.plug->Expander(1).attackMs, top ? exp.attack.maxValue : exp.attack.minValue);
    EXPECT_EQ(h.plug->Expander(1).releaseMs, top ? exp.release.maxValue : exp.release.minValue);
  }
}

TEST(ParamChange, ThresholdExtremesRunOppositeWaysForVcaAndFet)
{
  StripHarness h;
  for (int s = 0; s < 2; ++s)
  {
    h.Set(kThresh[s], -60.0);
    EXPECT_EQ(h.plug->VCA(s).threshold, 0.001);
    EXPECT_EQ(h.plug->FET(s).threshold, 1.0);
    EXPECT_EQ(h.plug->Opto(s).threshold, 1.0);
    EXPECT_EQ(h.plug->Expander(s).threshold, 0.01);
    h.Set(kThresh[s], 0.0);
    EXPECT_EQ(h.plug->VCA(s).threshold, 1.0);
    EXPECT_EQ(h.plug->FET(s).threshold, 0.001);
    EXPECT_EQ(h.plug->Opto(s).threshold, 0.001);
    EXPECT_EQ(h.plug->Expander(s).threshold, 1.0);

    // Between them: u = 1 - t single, the VCA and expander exponents single, the FET's double.
    h.Set(kThresh[s], -17.0);
    const float u = 1.0f - (float) h.plug->GetParam(kThresh[s])->GetNormalized();
    EXPECT_EQ(h.plug->VCA(s).threshold, std::pow(10.0, (double) (u * -60.0f / 20.0f)));
    EXPECT_EQ(h.plug->FET(s).threshold, std::pow(10.0, (double) (1.0f - u) * -60.0 / 20.0));
    EXPECT_EQ(h.plug->Opto(s).threshold, h.plug->FET(s).threshold);
    EXPECT_EQ(h.plug->Expander(s).threshold, std::pow(10.0, (double) (u * -40.0f / 20.0f)));
  }
}

TEST(ParamChange, OversamplingDoublesTheCompressorsRatesButNotTheExpanders)
{
  StripHarness h;
  for (int s = 0; s < 2; ++s)
  {
    SetNormalized(h, kAttack[s], 0.4);
    SetNormalized(h, kRelease[s], 0.6);
  }
  const auto off = ModuleSettings(*h.plug);
  auto expectRate = [&](int r, const char* when) {
    for (int s = 0; s < 2; ++s)
    {
      const VCACompressor& c = h.plug->VCA(s);
      const VintageFETCompressor& f = h.plug->FET(s);
      const VintageOptoCompressor& o = h.plug->Opto(s);
      const bool on = r != 44100;
      EXPECT_EQ(c.oversampling, on) << when;
      EXPECT_EQ(f.oversampling, on) << when;
      EXPECT_EQ(o.oversampling, on) << when;
      EXPECT_EQ(c.rmsCoef, std::exp(-1.0 / (r * 0.0825))) << when;
      EXPECT_EQ(c.attackCoef, Coef(c.attackMs, r)) << when;
      EXPECT_EQ(c.releaseCoef, Coef(c.releaseMs, r)) << when;
      EXPECT_EQ(f.attackCoef, Coef(f.attackMs, r)) << when;
      EXPECT_EQ(f.releaseCoef, Coef(f.releaseMs, r)) << when;
      EXPECT_EQ(o.attackCoef, OptoCoef(0.01, r)) << when;
      EXPECT_EQ(o.fastReleaseCoef, OptoCoef(0.06, r)) << when;
      EXPECT_EQ(o.slowReleaseCoef, OptoCoef(0.6, r)) << when;
      Dsp::BiquadHs shelf;
      shelf.SetupFast(1000.0 / r, 6.0, 0.5);
      EXPECT_EQ(o.sideChain.Stages()[0].b[0], shelf.Stages()[0].b[0]) << when;
      EXPECT_EQ(o.sideChain.Stages()[0].a[1], shelf.Stages()[0].a[1]) << when;
      EXPECT_EQ(c.analogue.sampleRate, r) << when;
      EXPECT_EQ(f.analogue.sampleRate, r) << when;
      EXPECT_EQ(o.analogue.sampleRate, r) << when;
      const expander& x = h.plug->Expander(s);
      EXPECT_EQ(x.sampleRate, 44100) << when;
      EXPECT_EQ(x.attackCoef, ExpanderCoef(x.attackMs, 44100)) << when;
      EXPECT_EQ(x.releaseCoef, ExpanderCoef(x.releaseMs, 44100)) << when;
    }
  };
  expectRate(44100, "off");
  h.Set(kOversampling, 0.3); // on is any value but exactly 0
  expectRate(88200, "on");
  // Times changed while oversampling follow the raised rate too.
  SetNormalized(h, kDyn1Attack, 0.7);
  SetNormalized(h, kDyn2Release, 0.1);
  expectRate(88200, "changed while on");
  // A Reset (bypass, block size) keeps every compressor at the rate it runs at.
  h.plug->Reset();
  expectRate(88200, "after Reset");
  SetNormalized(h, kDyn1Attack, 0.4);
  SetNormalized(h, kDyn2Release, 0.6);
  h.Set(kOversampling, 0.0);
  expectRate(44100, "off again");
  EXPECT_EQ(ModuleSettings(*h.plug), off);
}

TEST(ParamChange, OversamplingBeforeAnyResetRunsThroughDesignedLowPasses)
{
  // A host that initialises without announcing a rate: the 2x path must still filter,
  // not pass zero-stuffed samples straight through (6 dB up, full of images).
  std::unique_ptr<Ostrakon> plug(StripHarness::MakeReproduciblePlug());
  plug->GetParam(kOversampling)->Set(1.0);
  plug->OnParamChange(kOversampling);
  plug->ApplyParamChanges();
  auto expectDesigned = [](const auto& c, const char* what) {
    EXPECT_EQ(c.processingRate(), 88200) << what;
    EXPECT_NEAR(std::abs(c.upFilter.Response(0.0)), 1.0, 1e-9) << what;
    EXPECT_LT(std::abs(c.upFilter.Response(3.14159)), 1e-3) << what;
    EXPECT_LT(std::abs(c.downFilter.Response(3.14159)), 1e-2) << what;
  };
  for (int s = 0; s < 2; ++s)
  {
    expectDesigned(plug->VCA(s), "VCA");
    expectDesigned(plug->FET(s), "FET");
    expectDesigned(plug->Opto(s), "opto");
  }
}

TEST(ParamChange, ResetDerivesEverythingFromTheCurrentRate)
{
  for (int sr : {48000, 96000, 44100})
  {
    StripHarness h;
    SetNormalized(h, kDyn1Attack, 0.4);
    SetNormalized(h, kDyn2Release, 0.6);
    h.plug->SetSampleRate(sr + 0.7); // truncated
    h.plug->Reset();
    const float fsr = (float) sr;
    const double a = std::pow(2.718281828459045, -6.283185307179586 * (double) (12.12f / fsr));
    EXPECT_NE(a, std::pow(2.718281828459045, -6.283185307179586 * (12.12 / sr))) << "12.12f, not 12.12";
    for (int s = 0; s < 2; ++s)
    {
      const expander& x = h.plug->Expander(s);
      EXPECT_EQ(x.sampleRate, sr);
      EXPECT_EQ(x.attackCoef, std::exp(-1.0 / (double) (x.attackMs / 1000.0f * fsr)));
      EXPECT_EQ(x.releaseCoef, std::exp(-1.0 / (double) (x.releaseMs / 1000.0f * fsr)));
      EXPECT_EQ(x.msFilter.b0, 1.0 - a);
      EXPECT_EQ(x.msFilter.b1, 0.0);
      EXPECT_EQ(x.msFilter.a1, a);
      const VCACompressor& c = h.plug->VCA(s);
      EXPECT_EQ(c.sampleRate, sr);
      EXPECT_EQ(c.rmsCoef, std::exp(-1.0 / (0.0825 * sr)));
      EXPECT_EQ(c.attackCoef, Coef(c.attackMs, sr)) << "the VCA's times follow the new rate";
      EXPECT_EQ(c.releaseCoef, Coef(c.releaseMs, sr));
      EXPECT_EQ(h.plug->FET(s).attackCoef, Coef(h.plug->FET(s).attackMs, sr));
      EXPECT_EQ(h.plug->Opto(s).attackCoef, OptoCoef(0.01, sr));
    }
    EXPECT_EQ(h.plug->Eq().sampleRate, sr);
  }
}

TEST(ParamChange, AnalogueSwitchReachesTheEqAndAllCompressors)
{
  StripHarness h;
  for (double v : {0.49, 0.5, 0.0, 1.0})
  {
    h.Set(kAnalogueOn, v);
    const bool on = v >= 0.5;
    EXPECT_EQ(h.plug->Eq().analogueOn, on);
    for (int s = 0; s < 2; ++s)
    {
      EXPECT_EQ(h.plug->VCA(s).analogueOn, on);
      EXPECT_EQ(h.plug->FET(s).analogueOn, on);
      EXPECT_EQ(h.plug->Opto(s).analogueOn, on);
    }
  }
}

TEST(ParamChange, EveryCallEndsWithSetEqFilters)
{
  StripHarness h;
  for (int idx = -1; idx <= kNumParams; ++idx)
  {
    const float g = (float) (-14.0 + 0.25 * (idx + 1)), q = (float) h.plug->GetParam(kLowMidQ)->Value();
    h.plug->GetParam(kLowMidGain)->Set(g);
    h.plug->OnParamChange(idx);
    h.plug->ApplyParamChanges();
    EXPECT_EQ(h.plug->Eq().lowMidGain, (double) (float) ((0.125 * q * 0.2 + 1.0) * g)) << idx;
  }
}

// The strip with each routing value against its stages called by hand in the expected
// order, on twin strips; the stages do not commute, so the order shows in the output.
TEST(Pipeline, EachRoutingRunsTheStagesInItsOrder)
{
  const int n = 2048;
  std::vector<double> l(n), r(n);
  for (int i = 0; i < n; ++i)
  {
    l[i] = 0.8 * std::sin(0.03 * i) + 0.1 * std::sin(0.9 * i);
    r[i] = 0.5 * std::sin(0.011 * i);
  }
  auto setUp = [](StripHarness& h) {
    h.Set(kLowMidGain, 12.0);
    h.Set(kLowMidFreq, 300.0);
    h.Set(kEqOutputGain, 6.0);
    h.Set(kDyn1Thresh, -30.0);
    h.Set(kDyn1Ratio, 10.0);
    h.Set(kDyn2Type, 1);
    h.Set(kDyn2Thresh, -50.0);
    h.Set(kDyn2Ratio, 15.0);
  };
  struct Case
  {
    std::vector<int> routing; // values set in turn
    std::vector<int> order;
  };
  std::vector<std::vector<double>> outputs;
  for (const Case& k : {Case{{0}, {1, 0, 2}}, Case{{1}, {0, 1, 2}}, Case{{2}, {1, 2, 0}},
                        Case{{2, 7}, {1, 2, 0}}})
  {
    StripHarness strip, byHand;
    setUp(strip);
    setUp(byHand);
    for (int v : k.routing)
    {
      strip.Set(kRouting, v);
      byHand.Set(kRouting, v);
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(strip.plug->GetRoutingSlot(i), k.order[i]);
    std::vector<double> ol, orr;
    strip.Run(l, r, ol, orr, n);

    // As the pipeline does for a stereo input, before the stages.
    byHand.plug->Eq().setStereo(true);
    for (int s = 0; s < 2; ++s)
    {
      byHand.plug->VCA(s).setStereo(true);
      byHand.plug->FET(s).setStereo(true);
      byHand.plug->Opto(s).setStereo(true);
    }
    std::vector<double> buf(2 * n);
    for (int i = 0; i < n; ++i)
    {
      buf[2 * i] = l[i] + 1e-24;
      buf[2 * i + 1] = r[i] + 1e-24;
    }
    for (int stage : k.order)
      if (stage == 0)
        byHand.plug->processEq(buf.data(), n);
      else
        byHand.plug->processDyn(buf.data(), n, stage - 1);
    for (int i = 0; i < n; ++i)
    {
      ASSERT_EQ(ol[i], buf[2 * i]) << i;
      ASSERT_EQ(orr[i], buf[2 * i + 1]) << i;
    }
    outputs.push_back(ol);
  }
  EXPECT_NE(outputs[0], outputs[1]);
  EXPECT_NE(outputs[1], outputs[2]);
  EXPECT_NE(outputs[0], outputs[2]);
}
