#include "IPlug/x11/ClickCounter.h"

#include <cstdlib>

int ClickCounter::Press(unsigned int button, uint32_t time, int x, int y)
{
  // Server time is a 32-bit millisecond count that wraps; the difference still holds.
  const bool continues = mCount > 0 && button == mButton && (uint32_t) (time - mTime) <= kIntervalMs &&
                         std::abs(x - mX) <= kSlop && std::abs(y - mY) <= kSlop;
  mCount = continues ? mCount + 1 : 1;
  mButton = button;
  mTime = time;
  mX = x;
  mY = y;
  return mCount;
}
