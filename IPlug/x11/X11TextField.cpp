#include "IPlug/x11/X11TextField.h"

#include "IPlug/IControl.h"
#include "IPlug/IGraphics.h"
#include "raster/Draw.h"
#include "raster/Font.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cmath>

namespace
{
constexpr uint32_t kBackground = 0xFFFFFFFF;
constexpr uint32_t kInk = 0xFF000000;
constexpr uint32_t kSelection = 0xFFB4D5FE;

// XLookupString's Latin-1 as UTF-8.
std::string Latin1ToUtf8(const char* text, int length)
{
  std::string out;
  for (int i = 0; i < length; ++i)
  {
    const unsigned char c = (unsigned char) text[i];
    if (c < 0x80)
      out += (char) c;
    else
    {
      out += (char) (0xC0 | (c >> 6));
      out += (char) (0x80 | (c & 0x3F));
    }
  }
  return out;
}

IText FieldStyle(const IText& style)
{
  IText t = style;
  t.mSize = (int) (style.mSize * 0.9);
  t.mOrientation = 0;
  t.mCached = nullptr;
  return t;
}
} // namespace

X11TextField::X11TextField(IGraphics* graphics, IControl* control, IParam* param, const IText& style,
                           const char* text)
  : mGraphics(graphics), mControl(control), mParam(param), mStyle(FieldStyle(style)),
    mEditor(TextEntryFilter(param, control ? control->GetTextEntryLength() : 0), text)
{
}

X11TextField::~X11TextField()
{
  mSurface.reset();
  if (mDisplay && mWindow) XDestroyWindow(mDisplay, mWindow);
}

bool X11TextField::Open(Display* display, unsigned long parent, void* visual, int depth, unsigned long colormap,
                        int x, int y, int w, int h)
{
  if (mWindow || w <= 0 || h <= 0) return false;
  XSetWindowAttributes attrs = {};
  attrs.background_pixmap = None;
  attrs.border_pixel = 0;
  attrs.colormap = colormap;
  attrs.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                     FocusChangeMask;
  mWindow = XCreateWindow(display, parent, x, y, (unsigned) w, (unsigned) h, 0, depth, InputOutput,
                          (Visual*) visual, CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attrs);
  if (!mWindow) return false;
  mDisplay = display;
  mWidth = w;
  mHeight = h;
  mBitmap = std::make_unique<LICE_MemBitmap>(w, h);
  mSurface = std::make_unique<X11Surface>(display, mWindow, visual, depth);
  XMapRaised(display, mWindow);
  XSetInputFocus(display, mWindow, RevertToParent, CurrentTime);
  Paint();
  return true;
}

X11TextField::Outcome X11TextField::OnKeyPress(_XEvent* event)
{
  XKeyEvent* key = &event->xkey;
  char text[32];
  KeySym keysym = NoSymbol;
  const int n = XLookupString(key, text, sizeof text, &keysym, nullptr);
  return OnKey(keysym, text, n, (key->state & ShiftMask) != 0, (key->state & ControlMask) != 0);
}

X11TextField::Outcome X11TextField::OnKey(unsigned long keysym, const char* text, int textLength, bool shift,
                                          bool control)
{
  switch (keysym)
  {
    case XK_Return:
    case XK_KP_Enter:
    case XK_Tab:
    case XK_ISO_Left_Tab: return Outcome::Commit;
    case XK_Escape: return Outcome::Cancel;
    case XK_BackSpace: mEditor.Backspace(); break;
    case XK_Delete:
    case XK_KP_Delete: mEditor.Delete(); break;
    case XK_Left:
    case XK_KP_Left: mEditor.Left(shift); break;
    case XK_Right:
    case XK_KP_Right: mEditor.Right(shift); break;
    case XK_Home:
    case XK_KP_Home: mEditor.Home(shift); break;
    case XK_End:
    case XK_KP_End: mEditor.End(shift); break;
    default:
      if (control)
      {
        if (keysym == XK_a || keysym == XK_A) mEditor.SelectAll();
        break;
      }
      if (textLength > 0 && text && (unsigned char) text[0] >= 0x20 && text[0] != 0x7F)
        mEditor.Insert(Latin1ToUtf8(text, textLength));
      break;
  }
  Paint();
  return Outcome::Editing;
}

void X11TextField::OnButtonPress(int x)
{
  const std::string& text = mEditor.Text();
  const double origin = TextOrigin(TextWidth(text.size()));
  size_t best = 0;
  double bestDistance = std::fabs(origin - x);
  for (size_t i = 1; i <= text.size(); ++i)
  {
    if (i < text.size() && ((unsigned char) text[i] & 0xC0) == 0x80) continue;
    const double d = std::fabs(origin + TextWidth(i) - x);
    if (d < bestDistance)
    {
      best = i;
      bestDistance = d;
    }
  }
  mEditor.SetCursor(best);
  Paint();
}

raster::Font* X11TextField::Font()
{
  return mStyle.mCached ? mStyle.mCached : (mGraphics ? mGraphics->CacheFont(&mStyle) : nullptr);
}

double X11TextField::TextWidth(size_t bytes)
{
  raster::Font* font = Font();
  return font ? font->TextWidth(mEditor.Text().substr(0, bytes).c_str()) : 0.0;
}

double X11TextField::TextOrigin(double textWidth)
{
  const double room = mWidth - 2 * kPadding;
  if (textWidth <= room)
  {
    mScroll = 0.0;
    switch (mStyle.mAlign)
    {
      case IText::kAlignCenter: return kPadding + std::floor((room - textWidth) * 0.5);
      case IText::kAlignFar: return kPadding + room - textWidth;
      default: return kPadding;
    }
  }
  const double cursor = TextWidth(mEditor.Cursor());
  if (cursor - mScroll > room) mScroll = cursor - room;
  if (cursor < mScroll) mScroll = cursor;
  if (mScroll > textWidth - room) mScroll = textWidth - room;
  return kPadding - mScroll;
}

void X11TextField::Paint()
{
  if (!mBitmap) return;
  raster::Paint fill;
  fill.color = kBackground;
  raster::FillRect(mBitmap.get(), raster::Rect{0, 0, mWidth, mHeight}, fill);
  raster::Font* font = Font();
  if (font)
  {
    const std::string& text = mEditor.Text();
    const double origin = TextOrigin(TextWidth(text.size()));
    const int lineHeight = font->LineHeight();
    const int top = (mHeight - lineHeight) / 2;
    if (mEditor.HasSelection())
    {
      const int x0 = (int) std::floor(origin + TextWidth(mEditor.SelectionStart()));
      const int x1 = (int) std::ceil(origin + TextWidth(mEditor.SelectionEnd()));
      fill.color = kSelection;
      raster::FillRect(mBitmap.get(), raster::Rect{x0, top, x1 - x0, lineHeight}, fill);
    }
    const int x = (int) std::floor(origin);
    font->DrawText(mBitmap.get(), text.c_str(), raster::Rect{x, top, mWidth - x, lineHeight},
                   raster::kTextLeft | raster::kTextNoClip, kInk);
    if (!mEditor.HasSelection())
    {
      raster::Paint ink;
      ink.color = kInk;
      const int cx = (int) std::floor(origin + TextWidth(mEditor.Cursor()));
      raster::Line(mBitmap.get(), cx, top, cx, top + lineHeight - 1, ink);
    }
  }
  if (mSurface)
  {
    mSurface->Copy(mBitmap.get(), 0, 0, mWidth, mHeight);
    XFlush(mDisplay);
  }
}
