#pragma once
// Peak and RMS levels of an audio file, over all its channels.

#include <string>

struct Levels
{
  double peak = 0.0; // largest magnitude, linear
  double rms = 0.0;  // over every sample of every channel, linear
};

bool MeasureFileLevels(const std::string& path, Levels* levels, std::string* error);

// "-6.0" for 0.5, "-inf" for silence: decibels relative to full scale, one decimal.
std::string FormatDBFS(double linear);
