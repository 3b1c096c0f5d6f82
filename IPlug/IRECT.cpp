#include "IPlug/IRECT.h"

#include "IPlug/IBitmap.h"

IRECT::IRECT(int x, int y, const IBitmap* bitmap)
  : L(x), T(y), R(x + (bitmap ? bitmap->W : 0)), B(y + (bitmap ? bitmap->FrameHeight() : 0))
{
}
