#include "dsp/analogue_block.h"

#include "dsp/AnalogueClock.h"
#include "dsp/StereoFrame.h"

#include <cmath>
#include <cstdlib>

analogue_block::Tolerances analogue_block::drawTolerances()
{
  srand((unsigned) AnalogueClock::Now());
  Tolerances t;
  t.first = (double) (rand() % 500 + 1) / 100.0;
  t.second = (double) (rand() % 500 + 1) / 100.0;
  return t;
}

void analogue_block::init(int rate)
{
  isStereo = false;
  const double r = (double) (10.0f / (float) rate);
  const double p = std::exp(-2.0 * 3.141592653589793 * r);

  sampleRate = rate;
  dcBlocker.b0 = (1.0 + p) / 2.0;
  dcBlocker.b1 = -(1.0 + p) / 2.0;
  dcBlocker.a1 = p;

  double even = 0.5, second = 0.0, trimL = tolerance1, trimR = tolerance2;
  switch (mode)
  {
    case kModeClean: even = 0.005; break;
    case kModeFet:
      trimL = tolerance2;
      trimR = tolerance1;
      break;
    case kModeOpto: second = 1.0; break;
    default: return; // an unknown colour leaves the saturator as it was
  }
  sat.evenAmount = even;
  sat.secondAmount = second;
  sat.trimLeft = trimL;
  sat.trimRight = trimR;
  sat.init(rate);
}

void analogue_block::process(double* buffer, int frames)
{
  // The harmonics' copy holds kMaxFrames; a longer block runs piece by piece, which the
  // carried filter and DC-blocker histories make identical to one pass.
  for (; frames > 0; buffer += 2 * kMaxFrames, frames -= kMaxFrames)
    processPiece(buffer, frames < kMaxFrames ? frames : kMaxFrames);
}

// The stages in signal order: offset, harmonics of the band-limited copy, hard limit,
// DC blocker, noise. Each sample passes them in that order with the arithmetic
// written out per stage; the passes are only fused where no stage looks ahead.
void analogue_block::processPiece(double* buffer, int frames)
{
  double* copy = sat.scratch;
  const StereoFrame tiny = Splat(1e-24);
  for (int i = 0; i < frames; ++i)
  {
    const StereoFrame x = LoadFrame(buffer + 2 * i) + tiny;
    StoreFrame(x, buffer + 2 * i);
    StoreFrame(x, copy + 2 * i);
  }
  sat.shapeFilter.ProcessI((size_t) frames, copy);

  // Left and right side by side: the same stages with the same arithmetic per lane.
  const StereoFrame trim =
      isStereo ? StereoFrame{sat.trimGainLeft(), sat.trimGainRight()} : Splat(1.0);
  const StereoFrame b0 = Splat(dcBlocker.b0), b1 = Splat(dcBlocker.b1), a1 = Splat(dcBlocker.a1);
  StereoFrame x1 = {dcBlocker.xPrev[0], dcBlocker.xPrev[1]};
  StereoFrame y1 = {dcBlocker.yPrev[0], dcBlocker.yPrev[1]};
  uint32_t s0 = noiseState[0], s1 = noiseState[1];
  const double scale = noiseScale;
  const StereoFrame one = Splat(1.0), minusOne = Splat(-1.0);
  for (int i = 0; i < frames; ++i)
  {
    double* f = buffer + 2 * i;
    const StereoFrame v = LoadFrame(copy + 2 * i) * trim; // exact when 1.0
    StereoFrame x = sat.addHarmonics(LoadFrame(f), v);
    x = x >= one ? one : (x <= minusOne ? minusOne : x);

    const StereoFrame y = b0 * x + b1 * x1 + a1 * y1;
    x1 = x;
    y1 = y;

    const int32_t w = (int32_t) s1;
    s0 ^= s1;
    s1 += s0;
    const double noise = (double) w * scale * 1e-7;
    StoreFrame(y + Splat(noise), f);
  }
  dcBlocker.xPrev[0] = x1[0];
  dcBlocker.xPrev[1] = x1[1];
  dcBlocker.yPrev[0] = y1[0];
  dcBlocker.yPrev[1] = y1[1];
  noiseState[0] = s0;
  noiseState[1] = s1;
}
