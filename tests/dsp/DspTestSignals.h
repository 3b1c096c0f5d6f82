#pragma once
// Helpers for the filter-kit tests: a filter's complex gain measured with a sine.

#include "dsp/DspFilter.h"

#include <cmath>
#include <vector>

namespace DspTest {

enum class Form { I, II };

template <class Filter>
void Run(Filter& filter, Form form, std::vector<double>& buffer)
{
  const size_t frames = buffer.size() / filter.GetChannelCount();
  if (form == Form::I)
    filter.ProcessI(frames, buffer.data());
  else
    filter.ProcessII(frames, buffer.data());
}

// Complex gain at cycles/period cycles per sample, for every channel: a sine is run
// through the filter until it has settled, then one window of whole periods is
// correlated with sine and cosine. Comparable with Cascade::Response.
template <class Filter>
std::vector<Dsp::Complex> MeasureGain(Filter& filter, Form form, int cycles, int period = 4000,
                                      int settlingWindows = 25)
{
  const int channels = filter.GetChannelCount();
  std::vector<double> sine(period);
  std::vector<double> cosine(period);
  for (int n = 0; n < period; ++n)
  {
    const double phase = Dsp::kTwoPi * ((long long) cycles * n % period) / period;
    sine[n] = std::sin(phase);
    cosine[n] = std::cos(phase);
  }

  std::vector<double> buffer((size_t) period * channels);
  for (int window = 0; window <= settlingWindows; ++window)
  {
    for (int n = 0; n < period; ++n)
      for (int c = 0; c < channels; ++c) buffer[(size_t) n * channels + c] = sine[n];
    Run(filter, form, buffer);
  }

  std::vector<Dsp::Complex> gains;
  for (int c = 0; c < channels; ++c)
  {
    double re = 0;
    double im = 0;
    for (int n = 0; n < period; ++n)
    {
      re += buffer[(size_t) n * channels + c] * sine[n];
      im += buffer[(size_t) n * channels + c] * cosine[n];
    }
    gains.emplace_back(2 * re / period, 2 * im / period);
  }
  return gains;
}

} // namespace DspTest
