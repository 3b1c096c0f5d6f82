/* Preloaded into a host that runs the plug-in, so its analogue tolerances repeat: the
   calendar reads OSTRAKON_FIXED_TIME, and the C library's generator starts from that
   seed, as ostrakon render --analogue-time does before it constructs the strip. */

#include <stdlib.h>
#include <time.h>

static time_t FixedTime(void)
{
  const char* s = getenv("OSTRAKON_FIXED_TIME");
  return s ? (time_t) atoll(s) : (time_t) 0;
}

time_t time(time_t* t)
{
  const time_t now = FixedTime();
  if (t) *t = now;
  return now;
}

__attribute__((constructor)) static void SeedFromFixedTime(void) { srand((unsigned) FixedTime()); }
