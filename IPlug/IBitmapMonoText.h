#pragma once
// Monospaced text from a bitmap font: the glyph of character code c is frame c - 31 of
// the font bitmap (the space is frame 1), each drawn in a cell of charWidth x charHeight.

#include "IPlug/IBitmap.h"
#include "IPlug/IChannelBlend.h"
#include "IPlug/IRECT.h"
#include "IPlug/IText.h"

class IGraphics;

// Draws str in r, starting one cell in from the left, or centred when t is centred, and
// optionally centred vertically. A text wider than a line continues on the next line:
// with multiline as far as it needs, otherwise for one more line. A rectangle narrower
// than two cells is a programming error and stops the program.
bool DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* r, IText* t, IChannelBlend* blend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight);
