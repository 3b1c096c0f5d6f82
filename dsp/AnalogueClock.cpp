#include "dsp/AnalogueClock.h"

#include <atomic>

namespace
{
std::atomic<bool> gFixed{false};
std::atomic<long long> gFixedTime{0};
} // namespace

time_t AnalogueClock::Now()
{
  return gFixed.load() ? (time_t) gFixedTime.load() : time(nullptr);
}

void AnalogueClock::SetFixed(time_t t)
{
  gFixedTime.store((long long) t);
  gFixed.store(true);
}

void AnalogueClock::UseSystemTime() { gFixed.store(false); }
