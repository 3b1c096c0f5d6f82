#include "editor/IGainReductionMeter.h"

#include "IPlug/IGraphics.h"

#include <cmath>

const IColor IGainReductionMeter::kLit(255, 255, 255, 255);
const IColor IGainReductionMeter::kUnlit(255, 35, 39, 48);

IGainReductionMeter::IGainReductionMeter(IPlugBase* plug, int x, int y, int w, int h, int segments,
                                         IChannelBlend::EBlendMethod blend)
  : IControl(plug, nullptr, -1, blend), mSegments(segments)
{
  mRECT = mTargetRECT = IRECT(x, y, x + w, y + h);
  SetValue(1.0); // the default is still unset: the first value posted becomes it
  for (int i = 0; i < kTableSize; ++i) mDecibels[i] = std::log10((double) i / kTableSize);
}

void IGainReductionMeter::SetUp()
{
  const double f = mFrameRate;
  mAttack = std::exp(-1.0 / (0.001 * f));
  mRelease = std::exp(-1.0 / (0.2 * f));
}

void IGainReductionMeter::GrayOut(bool gray)
{
  mAlpha.store(gray ? 0 : 255, std::memory_order_relaxed);
  SetDirty(false);
}

bool IGainReductionMeter::Draw(IGraphics* graphics)
{
  if (mFrameRate == 0)
  {
    mFrameRate = graphics->FPS();
    SetUp();
  }

  const double value = GetValue();
  const double c = mSmoothed > value ? mAttack : mRelease;
  mSmoothed = (1.0 - c) * value + c * mSmoothed;

  // The table has no entry below 0: a negative or NaN gain reads as the deepest reduction.
  const double scaled = mSmoothed * (kTableSize - 1);
  const int i = scaled > 0.0 ? (scaled < kTableSize - 1 ? (int) scaled : kTableSize - 1) : 0;
  double d = 20.0 * mDecibels[i];
  if (d < -mSegments) d = -mSegments;
  mLit = (int) -d > 0 ? (int) -d : 0;

  const int alpha = mAlpha.load(std::memory_order_relaxed);
  if (alpha == 0) return true;
  IColor lit = kLit, unlit = kUnlit;
  lit.A = unlit.A = alpha;
  if (mSegments < 1) return true;
  const int w = (mRECT.W() - mSegments) / mSegments;
  if (w < 0) return true; // no room for even a one-pixel pitch
  for (int j = 0; j * (w + 1) < mRECT.W(); ++j)
  {
    const int left = mRECT.L + j * (w + 1);
    IRECT segment(left, mRECT.T, left + w, mRECT.B);
    if (!graphics->FillIRect(mLit >= mSegments - j ? &lit : &unlit, &segment)) return false;
  }
  return true;
}
