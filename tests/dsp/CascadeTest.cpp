// Stages, cascades and their processing: identity stages, the denormal offset,
// gain scaling, the response, bit-identity of every processing path with the plain
// per-frame order, and the buffer layout functions.

#include "tests/dsp/DspTestSignals.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace {

using DspTest::Form;

// Any stage count on any channel count, for reaching every processing path.
template <int S, int C>
class AnyCascade : public Dsp::CascadeSpace<S>, public Dsp::CascadeFilter
{
public:
  AnyCascade()
  {
    SetHistory(C, m_histories, S);
    SetStageCount(S);
  }

private:
  History m_histories[C * S] = {};
};

// The per-frame order written out from the difference equations.
template <typename T>
void ReferenceProcess(Form form, const Dsp::Cascade& cascade, int channels, int skip,
                      std::vector<std::array<double, 4>>& history, size_t frames, T* dest)
{
  const int stages = cascade.GetStageCount();
  for (size_t i = 0; i < frames; ++i, dest += channels + skip)
    for (int c = 0; c < channels; ++c)
    {
      double x = dest[c];
      for (int s = 0; s < stages; ++s)
      {
        const Dsp::Stage& k = cascade.Stages()[s];
        std::array<double, 4>& v = history[c * stages + s];
        if (form == Form::I)
        {
          const double y = k.b[1] * v[0] + k.b[0] * x + k.b[2] * v[1] + k.a[1] * v[2] + k.a[2] * v[3];
          v = {x, v[0], y, v[2]};
          x = y;
        }
        else
        {
          const double w = x + k.a[1] * v[0] + k.a[2] * v[1] + 1e-25;
          const double y = k.b[0] * w + k.b[1] * v[0] + k.b[2] * v[1];
          v = {w, v[0], v[1], 0};
          x = y;
        }
      }
      dest[c] = static_cast<T>(x);
    }
}

template <int S, int C, typename T>
void ExpectSameAsReference(Form form, int skip, std::mt19937& rng)
{
  std::uniform_real_distribution<double> uni(-1, 1);
  AnyCascade<S, C> filter;
  for (int s = 0; s < S; ++s)
  {
    const double r = 0.6 + 0.35 * std::fabs(uni(rng));
    filter.Stages()[s].a[1] = 2 * r * std::cos(3 * uni(rng));
    filter.Stages()[s].a[2] = -r * r;
    for (double& b : filter.Stages()[s].b) b = uni(rng);
  }

  const size_t blocks[] = {1, 7, 64, 300, 2};
  size_t total = 0;
  for (size_t b : blocks) total += b;
  std::vector<T> input(total * (C + skip));
  for (T& x : input) x = static_cast<T>(uni(rng));

  std::vector<T> expected = input;
  std::vector<std::array<double, 4>> history(C * S, {0, 0, 0, 0});
  ReferenceProcess(form, filter, C, skip, history, total, expected.data());

  std::vector<T> actual = input;
  T* p = actual.data();
  for (size_t b : blocks)
  {
    if (form == Form::I)
      filter.ProcessI(b, p, skip);
    else
      filter.ProcessII(b, p, skip);
    p += b * (C + skip);
  }
  for (size_t i = 0; i < actual.size(); ++i)
    ASSERT_EQ(actual[i], expected[i]) << "stages " << S << " channels " << C << " skip " << skip
                                      << " index " << i;
}

template <typename T>
void ExpectAllShapesSameAsReference(Form form)
{
  std::mt19937 rng(17);
  for (int skip : {0, 1})
  {
    ExpectSameAsReference<1, 1, T>(form, skip, rng);
    ExpectSameAsReference<2, 1, T>(form, skip, rng);
    ExpectSameAsReference<3, 1, T>(form, skip, rng);
    ExpectSameAsReference<1, 2, T>(form, skip, rng);
    ExpectSameAsReference<2, 2, T>(form, skip, rng);
    ExpectSameAsReference<3, 2, T>(form, skip, rng);
    ExpectSameAsReference<4, 2, T>(form, skip, rng);
    ExpectSameAsReference<6, 1, T>(form, skip, rng);
    ExpectSameAsReference<2, 3, T>(form, skip, rng);
  }
}

TEST(CascadeProcessing, EveryShapeIsBitIdenticalToThePerFrameOrder)
{
  ExpectAllShapesSameAsReference<double>(Form::I);
  ExpectAllShapesSameAsReference<double>(Form::II);
  ExpectAllShapesSameAsReference<float>(Form::I);
  ExpectAllShapesSameAsReference<float>(Form::II);
}

TEST(CascadeProcessing, IdentityStagePassesDirectFormIAndAddsOffsetInDirectFormII)
{
  Dsp::BiquadPeak<2> filter;
  filter.SetupQ(0.1, 6, 2);
  filter.Reset();
  const std::vector<double> input = {0.0, 0.0, 0.5, -0.25, 1e-30, -3.0, 0.0, 1e-300};

  std::vector<double> a = input;
  filter.ProcessI(a.size() / 2, a.data());
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], input[i]);

  std::vector<double> b = input;
  filter.ProcessII(b.size() / 2, b.data());
  for (size_t i = 0; i < b.size(); ++i) EXPECT_EQ(b[i], input[i] + 1e-25);
  EXPECT_EQ(b[0], 1e-25);
}

TEST(CascadeProcessing, NoStagesOrNoFramesLeaveTheBufferAlone)
{
  Dsp::BesselLowPass<4, 2> undesigned;
  ASSERT_EQ(undesigned.GetStageCount(), 0);
  std::vector<double> buffer = {0.0, 1.0, -2.0, 3.0};
  undesigned.ProcessII(2, buffer.data());
  EXPECT_EQ(buffer, (std::vector<double>{0.0, 1.0, -2.0, 3.0}));
  Dsp::BiquadPeak<2> peak;
  peak.ProcessII(0, buffer.data());
  EXPECT_EQ(buffer, (std::vector<double>{0.0, 1.0, -2.0, 3.0}));
}

bool HasSubnormal(const std::vector<double>& v)
{
  for (double x : v)
    if (std::fpclassify(x) == FP_SUBNORMAL) return true;
  return false;
}

TEST(CascadeProcessing, ResonantDirectFormIIStageNeverGoesSubnormalInSilence)
{
  // The same resonance without the offset decays through the subnormal range,
  // which shows that the silence below is long enough to get there.
  for (Form form : {Form::I, Form::II})
  {
    Dsp::BiquadPeak<1> filter;
    filter.SetupQ(0.05, 12, 4);
    std::vector<double> buffer(100000, 0.0);
    buffer[0] = 1.0;
    filter.Clear();
    DspTest::Run(filter, form, buffer);
    std::vector<double> silence(100000, 0.0);
    DspTest::Run(filter, form, silence);
    buffer.insert(buffer.end(), silence.begin(), silence.end());
    if (form == Form::I)
    {
      EXPECT_TRUE(HasSubnormal(buffer));
    }
    else
    {
      EXPECT_FALSE(HasSubnormal(buffer));
      EXPECT_NEAR(buffer.back(), 1e-25, 1e-35); // the offset through a DC gain of 1
    }
  }
}

TEST(Cascade, ScaleMultipliesOnlyTheFirstNumerator)
{
  Dsp::ButterHighPass<3, 2> filter;
  filter.Setup({3, 44100, 1000, 0});
  ASSERT_EQ(filter.GetStageCount(), 2);
  const Dsp::Stage s0 = filter.Stages()[0];
  const Dsp::Stage s1 = filter.Stages()[1];
  filter.Scale(2);
  for (int j = 0; j < 3; ++j)
  {
    EXPECT_EQ(filter.Stages()[0].b[j], 2 * s0.b[j]);
    EXPECT_EQ(filter.Stages()[1].b[j], s1.b[j]);
  }
  for (int j = 1; j < 3; ++j)
  {
    EXPECT_EQ(filter.Stages()[0].a[j], s0.a[j]);
    EXPECT_EQ(filter.Stages()[1].a[j], s1.a[j]);
  }
}

TEST(Cascade, ResponseAtDcIsTheCoefficientRatioAndOneWithoutStages)
{
  Dsp::BiquadHighShelf<1> shelf;
  shelf.SetStage1(0.5, -0.25, 0.3, 0.2, 0.1);
  const Dsp::Complex h = shelf.Response(0);
  EXPECT_DOUBLE_EQ(h.real(), (0.3 + 0.2 + 0.1) / (1 - 0.5 + 0.25));
  EXPECT_EQ(h.imag(), 0.0);

  Dsp::ButterLowPass<2, 2> undesigned;
  EXPECT_EQ(undesigned.Response(0), Dsp::Complex(1, 0));
  EXPECT_EQ(undesigned.Response(2.5), Dsp::Complex(1, 0));
  EXPECT_EQ(Dsp::ResponseFunctor(&shelf)(0), -std::abs(h));
}

TEST(Cascade, StageCountOutsideTheCapacityIsFatal)
{
  Dsp::BiquadPeak<1> peak;
  EXPECT_DEATH(peak.SetStageCount(0),
               "Assertion failed: \\(n>=1 && n<=m_stageMax\\), function SetStageCount, "
               "file dsp/DspFilter");
  EXPECT_DEATH(peak.SetStageCount(2), "n>=1 && n<=m_stageMax");
}

template <typename Td, typename Ts>
void ExpectInterleaveMatchesStridedRule(int channels, size_t frames)
{
  std::vector<std::vector<Ts>> planes(channels, std::vector<Ts>(frames + 1, Ts(-7)));
  std::vector<Ts*> ptrs;
  for (int c = 0; c < channels; ++c)
  {
    for (size_t i = 0; i < frames; ++i) planes[c][i] = static_cast<Ts>(100 * c + i + 0.5);
    ptrs.push_back(planes[c].data());
  }
  std::vector<Td> interleaved(frames * channels + 1, Td(-7)); // one guard value each
  Dsp::interleave(channels, frames, interleaved.data(), ptrs.data());
  for (size_t i = 0; i < frames * channels; ++i)
    EXPECT_EQ(interleaved[i], static_cast<Td>(planes[i % channels][i / channels]));
  EXPECT_EQ(interleaved.back(), Td(-7));

  const std::vector<std::vector<Ts>> original = planes;
  for (auto& p : planes) p.assign(frames + 1, Ts(-7));
  Dsp::deinterleave(channels, frames, ptrs.data(), interleaved.data());
  EXPECT_EQ(planes, original);
}

TEST(Interleave, TwoAndMoreChannelsFollowTheStridedRule)
{
  for (size_t frames = 0; frames <= 9; ++frames)
  {
    ExpectInterleaveMatchesStridedRule<double, double>(2, frames);
    ExpectInterleaveMatchesStridedRule<double, float>(2, frames);
    ExpectInterleaveMatchesStridedRule<double, double>(3, frames);
    ExpectInterleaveMatchesStridedRule<float, float>(5, frames);
  }
}

TEST(Interleave, NoChannelsDoNothingAndOneChannelIsFatal)
{
  double plane[2] = {1, 2};
  const double* src[] = {plane};
  double* dest[] = {plane};
  double out[2] = {9, 9};
  Dsp::interleave(0, 2, out, src);
  Dsp::deinterleave(-1, 2, dest, out);
  EXPECT_EQ(out[0], 9);
  EXPECT_EQ(plane[0], 1);
  EXPECT_DEATH(Dsp::interleave(1, 2, out, src), "\\(channels!=1\\), function interleave");
  EXPECT_DEATH(Dsp::deinterleave(1, 2, dest, out), "\\(channels!=1\\), function deinterleave");
}

// A chain of stereo cascades in one pass must give the bits of running each cascade
// (and each sign flip) on its own, and leave every history word as they would.
TEST(CascadeChain, OnePassIsBitIdenticalToSeparatePasses)
{
  std::mt19937 rng(77);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int lengthCase = 0; lengthCase < 6; ++lengthCase)
  {
    const int frames = std::array<int, 6>{0, 1, 2, 3, 257, 1000}[lengthCase];
    Dsp::ButterHighPass<3, 2> hpA, hpB;
    Dsp::ButterLowPass<2, 2> lpA, lpB;
    Dsp::BiquadPeak<2> pkA[4], pkB[4];
    hpA.Setup(Dsp::Spec{3, 1.0, 0.002, 0});
    hpB.Setup(Dsp::Spec{3, 1.0, 0.002, 0});
    lpA.Setup(Dsp::Spec{2, 1.0, 0.3, 0});
    lpB.Setup(Dsp::Spec{2, 1.0, 0.3, 0});
    for (int i = 0; i < 4; ++i)
    {
      pkA[i].SetupQ(0.01 * (i + 1), 3.0 * (i - 2), 0.7);
      pkB[i].SetupQ(0.01 * (i + 1), 3.0 * (i - 2), 0.7);
    }
    Dsp::CascadeChain chain;
    for (int block = 0; block < 3; ++block)
    {
      std::vector<double> a(2 * (size_t) frames);
      for (double& x : a) x = u(rng);
      std::vector<double> b = a;

      // 7 stages, so the chain runs in more than one pass.
      chain.Clear();
      chain.Add(&pkA[0]);
      chain.Add(&hpA, true);
      chain.Add(&lpA);
      for (int i = 1; i < 4; ++i) chain.Add(&pkA[i], i == 2);
      ASSERT_EQ(chain.GetStageCount(), 7);
      chain.ProcessII((size_t) frames, a.data());

      auto flip = [&] { for (double& x : b) x = -x; };
      pkB[0].ProcessII((size_t) frames, b.data());
      hpB.ProcessII((size_t) frames, b.data());
      flip();
      lpB.ProcessII((size_t) frames, b.data());
      for (int i = 1; i < 4; ++i)
      {
        pkB[i].ProcessII((size_t) frames, b.data());
        if (i == 2) flip();
      }
      ASSERT_EQ(a, b) << frames;

      // The histories match word for word: a Direct Form I frame reads all four.
      auto sameHistory = [](Dsp::CascadeFilter& x, Dsp::CascadeFilter& y) {
        double px[2] = {0.25, -0.5}, py[2] = {0.25, -0.5};
        x.ProcessI(1, px);
        y.ProcessI(1, py);
        return px[0] == py[0] && px[1] == py[1];
      };
      ASSERT_TRUE(sameHistory(hpA, hpB));
      ASSERT_TRUE(sameHistory(lpA, lpB));
      for (int i = 0; i < 4; ++i) ASSERT_TRUE(sameHistory(pkA[i], pkB[i]));
    }
  }
}

} // namespace
