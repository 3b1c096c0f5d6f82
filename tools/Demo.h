#pragma once
// `ostrakon demo DIR`: the synthesised test signal, rendered through the strip with
// its defaults and with one characterful setting.

#include <cstdio>
#include <string>

constexpr int kDemoSampleRate = 48000;
constexpr double kDemoSeconds = 10.0;

// Writes input.wav, defaults.wav and character.wav into dir (created if missing) and
// prints each file's peak and RMS level on a line of its own to out.
bool RunDemo(const std::string& dir, FILE* out, std::string* error);
