#include "tools/Levels.h"

#include "tools/AudioFile.h"

#include <cmath>
#include <vector>

bool MeasureFileLevels(const std::string& path, Levels* levels, std::string* error)
{
  AudioFileReader reader;
  if (!reader.Open(path, error)) return false;
  const int nChannels = reader.Channels();
  const int block = 4096;
  std::vector<float> frames((size_t) block * nChannels);
  double peak = 0.0, sumSquares = 0.0;
  long long count = 0;
  for (;;)
  {
    const long long got = reader.Read(frames.data(), block, error);
    if (got < 0) return false;
    if (got == 0) break;
    const size_t n = (size_t) got * nChannels;
    for (size_t i = 0; i < n; ++i)
    {
      const double x = frames[i];
      if (std::fabs(x) > peak) peak = std::fabs(x);
      sumSquares += x * x;
    }
    count += (long long) n;
  }
  levels->peak = peak;
  levels->rms = count > 0 ? std::sqrt(sumSquares / (double) count) : 0.0;
  return true;
}

std::string FormatDBFS(double linear)
{
  if (!(linear > 0.0)) return "-inf";
  char buf[32];
  snprintf(buf, sizeof(buf), "%.1f", 20.0 * std::log10(linear));
  return buf;
}
