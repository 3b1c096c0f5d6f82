#pragma once
// The sample rates the plug-in runs at. Every road by which a host announces a rate
// (the Audio Unit's sample-rate property and stream formats, an LV2 instantiate, the
// renderer's input file) refuses one outside this range where it enters, so no module
// is ever set up for a rate its filter designs and integer arithmetic do not hold.

constexpr double kMinSampleRate = 8000.0;
constexpr double kMaxSampleRate = 768000.0;

// False for NaN, infinities, zero and negative rates too.
inline bool IsSupportedSampleRate(double rate) { return rate >= kMinSampleRate && rate <= kMaxSampleRate; }
