#include "IPlug/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace
{
std::string Display(const IParam& p, double v, bool normalized = false, bool texts = true)
{
  char buf[MAX_PARAM_DISPLAY_LEN];
  p.GetDisplayForHost(v, normalized, buf, texts);
  return buf;
}
} // namespace

TEST(IParam, FreshRecordDefaults)
{
  IParam p;
  EXPECT_EQ(p.Type(), IParam::kTypeNone);
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_EQ(p.GetMin(), 0.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.GetStep(), 1.0);
  EXPECT_EQ(p.GetShape(), 1.0);
  EXPECT_STREQ(p.GetNameForHost(), "");
  EXPECT_EQ(sizeof(IParam::DisplayText), 40u);
}

TEST(IParam, BoolShowsOffOnWithEmptyLabel)
{
  IParam p;
  p.InitBool("Switch", true, "ignored");
  EXPECT_EQ(p.Type(), IParam::kTypeBool);
  EXPECT_EQ(p.Value(), 1.0);
  EXPECT_EQ(p.GetDefault(), 1.0);
  EXPECT_STREQ(p.GetLabel(), "");
  EXPECT_STREQ(p.GetLabelForHost(), "");
  EXPECT_EQ(Display(p, 1.0), "on");
  EXPECT_EQ(Display(p, 0.0), "off");
  EXPECT_EQ(p.GetNDisplayTexts(), 2);
  EXPECT_TRUE(p.Bool());
  p.Set(0.49);
  EXPECT_FALSE(p.Bool());
  p.Set(0.5);
  EXPECT_TRUE(p.Bool());
}

TEST(IParam, InitialiserRanges)
{
  IParam e;
  e.InitEnum("E", 0, 1); // one entry still gets a maximum of 1
  EXPECT_EQ(e.GetMax(), 1.0);
  IParam i;
  i.InitInt("I", 5, 5, 5, "Hz"); // max raised to min + 1
  EXPECT_EQ(i.GetMin(), 5.0);
  EXPECT_EQ(i.GetMax(), 6.0);
  EXPECT_STREQ(i.GetLabel(), "Hz");
  IParam d;
  d.InitDouble("D", 0.0, 0.0, 0.0, 1.0, "");
  EXPECT_EQ(d.GetMax(), 1.0);
  IParam unclamped;
  unclamped.InitDouble("U", 50.0, 0.0, 10.0, 0.1, "");
  EXPECT_EQ(unclamped.Value(), 50.0); // initialisers do not clamp
}

TEST(IParam, PrecisionFollowsStep)
{
  const struct
  {
    double step;
    int precision;
  } cases[] = {{1.0, 0}, {0.1, 1}, {0.01, 2}, {0.001, 3}, {0.5, 1}, {1e-9, 6}};
  for (const auto& c : cases)
  {
    IParam p;
    p.InitDouble("P", 0.0, 0.0, 10.0, c.step, "");
    EXPECT_EQ(p.GetPrecision(), c.precision) << "step " << c.step;
  }
}

TEST(IParam, StepRoundingOfNonDoubleKinds)
{
  IParam i;
  i.InitInt("I", 0, 0, 3, "");
  i.SetNormalized(0.5); // 1.5 rounds up
  EXPECT_EQ(i.Value(), 2.0);
  IParam e;
  e.InitEnum("E", 0, 3);
  e.SetNormalized(0.5);
  EXPECT_EQ(e.Value(), 1.0);
  IParam d;
  d.InitDouble("D", 0.0, -24.0, 24.0, 1.0, "");
  d.SetNormalized(1.0);
  EXPECT_EQ(d.Value(), 24.0);
  d.SetNormalized(0.51);
  EXPECT_NE(d.Value(), std::floor(d.Value())); // doubles are never stepped
}

TEST(IParam, ShapeCurve)
{
  IParam p;
  p.InitDouble("P", 0.0, 0.0, 1.0, 0.001, "");
  p.SetShape(3.0);
  EXPECT_NEAR(p.GetNormalized(0.5), std::pow(0.5, 1.0 / 3.0), 1e-15);
  EXPECT_NEAR(p.GetNormalized(0.5), 0.7937005259840998, 1e-15);
  p.SetShape(0.0); // ignored
  EXPECT_EQ(p.GetShape(), 3.0);
  p.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 0.125);
  EXPECT_EQ(p.GetNormalized(-5.0), 0.0);
  EXPECT_EQ(p.GetNormalized(5.0), 1.0);

  // Round trip through the curve keeps the value.
  IParam q;
  q.InitDouble("Q", 1.0, 1.0, 30.0, 0.1, "ms");
  q.SetShape(2.0);
  for (double v : {1.0, 8.25, 17.3, 30.0})
  {
    q.SetNormalized(q.GetNormalized(v));
    EXPECT_NEAR(q.Value(), v, 1e-12);
  }
}

TEST(IParam, SetNormalizedClampsOnlyAbove)
{
  IParam p;
  p.InitDouble("P", 0.0, 10.0, 20.0, 0.1, "");
  p.SetNormalized(1.5);
  EXPECT_EQ(p.Value(), 20.0);
  p.SetNormalized(-0.5);
  EXPECT_EQ(p.Value(), 5.0); // no lower clamp; callers pass 0..1
}

TEST(IParam, DisplayTruncatesAndFormats)
{
  IParam one;
  one.InitDouble("One", 0.0, 0.0, 10.0, 1.0, "");
  EXPECT_EQ(Display(one, 2.7), "2");
  EXPECT_EQ(Display(one, -2.7), "-2");
  IParam tenth;
  tenth.InitDouble("Tenth", 0.0, 0.0, 10.0, 0.1, "dB");
  EXPECT_EQ(Display(tenth, 2.74), "2.7");
  EXPECT_EQ(Display(tenth, 0.5, true), "5.0");
  EXPECT_STREQ(tenth.GetLabelForHost(), "dB");
  tenth.NegateDisplay();
  EXPECT_EQ(Display(tenth, 2.74), "-2.7");
  // Huge and non-finite values stay within the caller's 32 bytes.
  char buf[MAX_PARAM_DISPLAY_LEN + 8];
  memset(buf, 'x', sizeof(buf));
  tenth.GetDisplayForHost(1e300, false, buf, true);
  EXPECT_EQ(strlen(buf), (size_t) MAX_PARAM_DISPLAY_LEN - 1);
  EXPECT_EQ(buf[MAX_PARAM_DISPLAY_LEN], 'x');
  EXPECT_EQ(Display(one, std::nan("")), "0");
  EXPECT_EQ(Display(one, 1e30), "2147483647");
}

TEST(IParam, DisplayTextLookups)
{
  IParam p;
  p.InitEnum("Mode", 0, 3);
  p.SetDisplayText(0, "zero");
  p.SetDisplayText(1, "one");
  p.SetDisplayText(2, "two");
  EXPECT_EQ(Display(p, 1.9999999), "one"); // truncated before the lookup
  EXPECT_STREQ(p.GetDisplayText(1.9999999), "two"); // within 1e-06
  EXPECT_STREQ(p.GetDisplayText(1.99999), "");
  EXPECT_EQ(Display(p, 2.0, false, false), "2");
  EXPECT_EQ(Display(p, 0.5, true), "one"); // normalised 0.5 -> 1.0

  int v = -7;
  EXPECT_TRUE(p.MapDisplayText("two", &v));
  EXPECT_EQ(v, 2);
  v = -7;
  EXPECT_FALSE(p.MapDisplayText("Two", &v));
  EXPECT_FALSE(p.MapDisplayText("tw", &v));
  EXPECT_EQ(v, -7);
  IParam none;
  EXPECT_FALSE(none.MapDisplayText("", &v));

  double value = 0;
  EXPECT_STREQ(p.GetDisplayTextAtIdx(2, &value), "two");
  EXPECT_EQ(value, 2.0);
  EXPECT_EQ(p.GetDisplayTextAtIdx(3), nullptr);
  EXPECT_EQ(p.GetDisplayTextAtIdx(-1), nullptr);

  // An empty text falls through to the number, and the label shows again.
  IParam q;
  q.InitDouble("Q", 0.0, 0.0, 10.0, 1.0, "dB");
  q.SetDisplayText(3.0, "");
  q.SetDisplayText(4.0, "four");
  EXPECT_EQ(Display(q, 3.0), "3");
  q.Set(4.0);
  EXPECT_STREQ(q.GetLabelForHost(), "");
  q.Set(3.0);
  EXPECT_STREQ(q.GetLabelForHost(), "dB");
}

TEST(IParam, ReinitialisingKeepsKindAndShape)
{
  IParam p;
  p.InitEnum("E", 0, 4);
  p.SetShape(2.0);
  p.InitDouble("E", 0.0, 0.0, 3.0, 0.1, "");
  EXPECT_EQ(p.Type(), IParam::kTypeEnum);
  EXPECT_EQ(p.GetShape(), 2.0);
  p.SetNormalized(std::sqrt(0.4)); // 1.2 -> stepped to 0.1 grid, not a whole number
  EXPECT_NEAR(p.Value(), 1.2, 1e-12);
  EXPECT_EQ(p.Value(), 0.1 * std::floor(p.Value() / 0.1 + 0.5));
}

TEST(IParam, LongTextsAreCut)
{
  const char* longText = "0123456789012345678901234567890123456789";
  IParam p;
  p.InitDouble(longText, 0.0, 0.0, 1.0, 0.1, longText);
  p.SetDisplayText(0.0, longText);
  EXPECT_EQ(strlen(p.GetNameForHost()), 31u);
  EXPECT_EQ(strlen(p.GetLabel()), 31u);
  EXPECT_EQ(strlen(p.GetDisplayText(0.0)), 31u);
  EXPECT_EQ(std::string(p.GetNameForHost()), std::string(longText, 31));
}

TEST(IParam, Readings)
{
  IParam p;
  p.InitDouble("G", 0.0, -60.0, 30.0, 0.1, "dB");
  p.Set(-2.9);
  EXPECT_EQ(p.Int(), -2);
  p.Set(6.0);
  EXPECT_DOUBLE_EQ(p.DBToAmp(), std::exp(6.0 * 0.1151292546497));
  EXPECT_NEAR(p.DBToAmp(), 1.9952623149688795, 1e-12);
  p.Set(0.0);
  EXPECT_EQ(p.DBToAmp(), 1.0);
  double lo = 0, hi = 0;
  p.GetBounds(&lo, &hi);
  EXPECT_EQ(lo, -60.0);
  EXPECT_EQ(hi, 30.0);
}
