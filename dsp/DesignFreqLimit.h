#pragma once
// The highest frequency a filter of the strip is designed at, as a fraction of the rate
// it runs at: where 20 kHz sits at 44.1 kHz, the top of the strip's band.
//
// Every band the strip holds lies at or below 20 kHz, so at 44.1 kHz and above the limit
// is the identity and every design keeps its exact value. Below 44.1 kHz a band asked for
// above it (a low-pass at 18 kHz at 32 kHz, a 12 kHz peak at 22.05 kHz) sits there,
// about 9 % of the rate below Nyquist: as close as the strip's designs ever come to it at
// 44.1 kHz. Nearer, the bilinear designs degenerate: a peak's or shelf's bandwidth
// shrinks to nothing and its poles approach the unit circle (a +18 dB peak at 0.499 of
// the rate rings for some 3000 samples, at this limit for 71); at or above half the rate
// they are unstable or undefined.

constexpr double kMaxDesignFreq = 20000.0 / 44100.0;

// f normalised to the rate; NaN sits at the limit too.
inline double LimitDesignFreq(double f) { return f <= kMaxDesignFreq ? f : kMaxDesignFreq; }
