#include "IPlug/IBitmapMonoText.h"

#include "IPlug/FatalAssert.h"
#include "IPlug/IGraphics.h"

#include <cstring>

bool DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* r, IText* t, IChannelBlend* blend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight)
{
  if (!str || !*str) return true;
  if (!graphics || !font || !r) return false;
  const long long n = (long long) strlen(str);
  const long long cw = charWidth;

  int y = r->T;
  if (vCenter) y += (r->B - charHeight - r->T) / 2;
  const bool centred = t && t->mAlign == IText::kAlignCenter;
  // 64-bit, so that a text of any length cannot overflow the arithmetic.
  const long long xStart = r->L + (centred ? ((long long) r->R - n * cw - r->L) / 2 : cw);

  const long long lineWidth = (long long) r->R - r->L - 2 * cw;
  FATAL_ASSERT(lineWidth > 0, "IPlug/IBitmapMonoText");
  if (charWidth <= 0) return false; // no cell to draw in

  const long long charsPerLine = lineWidth / cw;
  const long long nLines = (multiline && n * cw > lineWidth) ? (n * cw) / lineWidth : 1;

  long long i = 0;
  for (long long line = 0; line <= nLines && i < n; ++line)
  {
    long long x = xStart;
    for (long long c = 0; c < charsPerLine && i < n; ++c, ++i, x += cw)
    {
      const int frame = (int) (unsigned char) str[i] - 31;
      // A cell beyond the int range lies far outside any surface.
      if (x < -0x3fffffffLL || x > 0x3fffffffLL || y > 0x3fffffff) continue;
      IRECT cell((int) x, y, (int) (x + cw), y + charHeight);
      graphics->DrawBitmap(font, &cell, frame, blend);
    }
    y += charHeight;
  }
  return true;
}
