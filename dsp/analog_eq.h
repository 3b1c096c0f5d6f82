#pragma once
// The strip's equaliser: 3rd-order high-pass, 2nd-order low-pass, high shelf, three
// peaking bands and a low shelf, each gliding towards its targets block by block,
// then the optional analogue block. A high-shelf boost pulls the low-pass down
// from 20 kHz to as low as 16 kHz.

#include "dsp/DspFilter.h"
#include "dsp/analogue_block.h"

class analog_eq
{
public:
  // One smoothed target: s <- (1 - c) * target + c * s, once per block.
  struct Smoother
  {
    double value = 0.0;
    double c = 0.0;
    // Where rounding stalls the glide short of its target (one unit in the last place
    // away, or at the smallest subnormal when c > 0.5), it lands on the target instead
    // of staying "moving" forever.
    void step(double target)
    {
      const double next = (1.0 - c) * target + c * value;
      value = next == value ? target : next;
    }
  };

  analog_eq() = default;
  virtual ~analog_eq() = default;

  // The rate the targets are normalised to, and the analogue block for it with the
  // tolerances it holds. The filters keep their designs and histories until the
  // targets move.
  void init(int sampleRate);
  // frames interleaved stereo frames in place; a negative count does nothing.
  void process(double* buffer, int frames);
  virtual void setStereo(bool stereo) { isStereo = stereo; }

  Dsp::ButterHighPass<3, 2> hpFilter;
  Dsp::ButterLowPass<2, 2> lpFilter;
  Dsp::BiquadHighShelf<2> highShelf;
  Dsp::BiquadLowShelf<2> lowShelf;
  Dsp::BiquadPeak<2> lowMidPeak;
  Dsp::BiquadPeak<2> hiMidPeak;
  Dsp::BiquadPeak<2> filterPeak;

  int sampleRate = 44100;
  bool hpOn = false;
  bool lpOn = false;
  bool lpAuto = false;

  // Targets: frequencies normalised to the sample rate, gains in dB. A frequency above
  // the design limit (DesignFreqLimit.h) glides to the limit and is designed there.
  double hpFreq = 0.0;
  double lpFreq = 0.0;
  double lpUserFreq = 0.0;
  int lpHz = 0;
  double lowShelfFreq = 0.0, lowShelfGain = 0.0;
  double highShelfFreq = 0.0, highShelfGain = 0.0;
  double lowMidFreq = 0.0, lowMidGain = 0.0, lowMidQ = 0.0;
  double hiMidFreq = 0.0, hiMidGain = 0.0, hiMidQ = 0.0;
  double filterFreq = 0.0, filterGain = 0.0, filterQ = 0.0;

  Smoother sFilterFreq, sFilterGain, sFilterQ;
  Smoother sHpFreq;
  Smoother sLpFreq;
  Smoother sHighShelfFreq, sHighShelfGain;
  Smoother sHiMidFreq, sHiMidGain, sHiMidQ;
  Smoother sLowMidFreq, sLowMidGain, sLowMidQ;
  Smoother sLowShelfFreq, sLowShelfGain;

  int lastFrames = 0;
  Dsp::CascadeChain chain; // the block's running stages, in signal order
  bool analogueOn = false;
  analogue_block analogue{analogue_block::kModeClean, false};
  bool isStereo = false;

private:
  void setSmoothing(double c);
  // Steps a band's glide, redesigns it if it moved, and queues it unless at 0 dB.
  void peakBand(Dsp::BiquadPeak<2>& peak, double target, double gainDb, double q, Smoother& sf,
                Smoother& sg, Smoother& sq);
  void designLowPass();
};
