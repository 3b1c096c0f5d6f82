#include "dsp/analog_eq.h"

#include "dsp/DesignFreqLimit.h"

#include <cmath>

void analog_eq::init(int rate)
{
  sampleRate = rate;
  analogue.init(rate);
}

void analog_eq::setSmoothing(double c)
{
  for (Smoother* s : {&sFilterFreq, &sFilterGain, &sFilterQ, &sHpFreq, &sLpFreq, &sHighShelfFreq,
                      &sHighShelfGain, &sHiMidFreq, &sHiMidGain, &sHiMidQ, &sLowMidFreq,
                      &sLowMidGain, &sLowMidQ, &sLowShelfFreq, &sLowShelfGain})
    s->c = c;
}

void analog_eq::peakBand(Dsp::BiquadPeak<2>& peak, double target, double gainDb, double q,
                         Smoother& sf, Smoother& sg, Smoother& sq)
{
  const double freq = LimitDesignFreq(target);
  if (freq != sf.value || gainDb != sg.value || q != sq.value)
  {
    sf.step(freq);
    sg.step(gainDb);
    sq.step(q);
    peak.SetupQ(sf.value, sg.value, sq.value);
  }
  // A band at exactly 0 dB costs nothing.
  if (sg.value != 0.0) chain.Add(&peak);
}

void analog_eq::designLowPass()
{
  Dsp::Spec spec;
  spec.order = 2;
  spec.sampleRate = 1.0;
  spec.cutoffFreq = sLpFreq.value;
  lpFilter.Setup(spec);
}

void analog_eq::process(double* buffer, int frames)
{
  // The filters take the count as a size: a negative one would run far past the buffer.
  if (frames < 0) return;
  chain.Clear();
  // A 10 ms time constant counted in blocks: k blocks per second.
  if (frames != 0 && frames != lastFrames)
  {
    lastFrames = frames;
    const int k = sampleRate / frames;
    setSmoothing(std::exp(-1.0 / (k * 0.01)));
  }

  // Every frequency enters its glide through the design limit: below 44.1 kHz a band
  // asked for above the top of the rate's band glides there and is designed there.
  peakBand(filterPeak, filterFreq, filterGain, filterQ, sFilterFreq, sFilterGain, sFilterQ);

  if (hpOn)
  {
    const double hp = LimitDesignFreq(hpFreq);
    if (hp != sHpFreq.value)
    {
      sHpFreq.step(hp);
      Dsp::Spec spec;
      spec.order = 3;
      spec.sampleRate = 1.0;
      spec.cutoffFreq = sHpFreq.value;
      hpFilter.Setup(spec);
    }
    // The realised high-pass has gain -1 in its passband; restore the polarity.
    chain.Add(&hpFilter, true);
  }

  // The low-pass filters each block once, whichever step drives it: run twice on the
  // block a boost begins, or not at all on the block it ends, it would click.
  bool lpRan = false;
  if (lpOn && !lpAuto)
  {
    const double lp = LimitDesignFreq(lpFreq);
    if (lp != sLpFreq.value)
    {
      sLpFreq.step(lp);
      designLowPass();
    }
    chain.Add(&lpFilter);
    lpRan = true;
  }

  const double hs = LimitDesignFreq(highShelfFreq);
  if (hs != sHighShelfFreq.value || highShelfGain != sHighShelfGain.value)
  {
    sHighShelfFreq.step(hs);
    sHighShelfGain.step(highShelfGain);
    highShelf.Setup(sHighShelfFreq.value, sHighShelfGain.value, 0.5);
  }
  const double g = sHighShelfGain.value;
  if (g > 0.0)
  {
    // A boost pulls the low-pass from 20 kHz (0 dB) down to 16 kHz (+15 dB), never
    // above the user's own cutoff.
    lpAuto = true;
    const double fa = (g / 15 * -4000.0 + 20000.0) / sampleRate;
    lpFreq = lpUserFreq > fa ? fa : lpUserFreq;
    const double lp = LimitDesignFreq(lpFreq);
    if (lp != sLpFreq.value)
    {
      sLpFreq.step(lp);
      designLowPass();
    }
    if (!lpRan) chain.Add(&lpFilter);
  }
  else if (highShelfGain <= 0.0)
  {
    if (lpHz == 20000)
    {
      lpOn = false;
      lpAuto = false;
    }
    else if (lpHz < 20000)
    {
      // Handing back from the boost: the user's low-pass takes over from this block.
      if (lpAuto && !lpRan) chain.Add(&lpFilter);
      lpOn = true;
      lpAuto = false;
      lpFreq = lpUserFreq;
    }
  }
  if (g != 0.0) chain.Add(&highShelf);

  peakBand(hiMidPeak, hiMidFreq, hiMidGain, hiMidQ, sHiMidFreq, sHiMidGain, sHiMidQ);
  peakBand(lowMidPeak, lowMidFreq, lowMidGain, lowMidQ, sLowMidFreq, sLowMidGain, sLowMidQ);

  const double ls = LimitDesignFreq(lowShelfFreq);
  if (ls != sLowShelfFreq.value || lowShelfGain != sLowShelfGain.value)
  {
    sLowShelfFreq.step(ls);
    sLowShelfGain.step(lowShelfGain);
    lowShelf.Setup(sLowShelfFreq.value, sLowShelfGain.value, 1.7000000476837158);
  }
  if (sLowShelfGain.value != 0.0) chain.Add(&lowShelf);

  // The designs above depend on no audio, so the stages run as one pass in signal order.
  chain.ProcessII((size_t) frames, buffer);

  if (analogueOn)
  {
    analogue.isStereo = isStereo;
    analogue.process(buffer, frames);
  }
}
