#pragma once
// The demo's test signal: a drum groove (kick, snare, hi-hat), a bass line and a chord
// progression at 120 beats per minute, stereo, the same on every run and machine
// (fixed-seed noise, no library random numbers). The peak is normalised to -6 dBFS.

#include <vector>

// Interleaved stereo frames, left first.
std::vector<float> SynthesiseDemoSignal(int sampleRate, double seconds);
