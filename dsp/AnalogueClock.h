#pragma once
// The calendar time that seeds the analogue blocks' tolerance draws. It is the
// current time unless a fixed time is set, which makes renders repeatable.

#include <ctime>

namespace AnalogueClock
{
// Seconds since the epoch as the next analogue_block::init will use them.
time_t Now();
// From now on every init seeds with t.
void SetFixed(time_t t);
// Back to the current time.
void UseSystemTime();
} // namespace AnalogueClock
