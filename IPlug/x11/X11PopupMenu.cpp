#include "IPlug/x11/X11PopupMenu.h"

#include "IPlug/IGraphics.h"
#include "IPlug/IPopupMenu.h"
#include "raster/Draw.h"
#include "raster/Font.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace
{
constexpr uint32_t kFace = 0xFFF2F2F2;
constexpr uint32_t kFrame = 0xFF7F7F7F;
constexpr uint32_t kInk = 0xFF000000;
constexpr uint32_t kGreyInk = 0xFFA0A0A0;
constexpr uint32_t kHighlight = 0xFF3A6EA5;
constexpr uint32_t kHighlightInk = 0xFFFFFFFF;
constexpr uint32_t kRule = 0xFFC8C8C8;

void SleepMs(int ms)
{
  timespec t{0, ms * 1000000L};
  nanosleep(&t, nullptr);
}
} // namespace

X11PopupMenu::X11PopupMenu(IGraphics* graphics, IPopupMenu* menu)
  : mGraphics(graphics), mMenu(menu), mStyle(kTextSize, nullptr, "Arial", IText::kStyleNormal, IText::kAlignNear)
{
  if (!menu) return;
  mRows = Layout(*menu);
  raster::Font* font = graphics ? graphics->CacheFont(&mStyle) : nullptr;
  int textWidth = 0;
  for (const Row& row : mRows)
  {
    if (row.separator) continue;
    const IPopupMenu::Item* item = menu->GetItem(row.item);
    const double w = font ? font->TextWidth(Title(*menu, row.item).c_str()) : 0.0;
    textWidth = std::max(textWidth, (int) std::ceil(w) + (item->GetIsTitle() ? kIndent : 0));
  }
  mWidth = std::max(kMinWidth, 2 * kBorder + kCheckColumn + textWidth + kRightPadding);
  mHeight = 2 * kBorder + (mRows.empty() ? 0 : mRows.back().top + mRows.back().height - kBorder);
  for (int i = 0; i < (int) mRows.size(); ++i)
    if (Selectable(i) && menu->GetItem(mRows[i].item)->GetChecked())
    {
      mHighlight = i;
      break;
    }
}

X11PopupMenu::~X11PopupMenu()
{
  mSurface.reset();
  if (!mDisplay) return;
  if (mGrabbedPointer) XUngrabPointer(mDisplay, CurrentTime);
  if (mGrabbedKeyboard) XUngrabKeyboard(mDisplay, CurrentTime);
  if (mWindow) XDestroyWindow(mDisplay, mWindow);
  XFlush(mDisplay);
}

std::string X11PopupMenu::Title(const IPopupMenu& menu, int item)
{
  const char* text = menu.GetItemText(item);
  static const char* const kFormats[] = {"%1d: ", "%02d: ", "%03d: "};
  const int mode = menu.GetPrefix();
  if (mode < 1 || mode > 3) return text;
  char prefix[32];
  snprintf(prefix, sizeof prefix, kFormats[mode - 1], item + 1);
  return std::string(prefix) + text;
}

std::vector<X11PopupMenu::Row> X11PopupMenu::Layout(const IPopupMenu& menu)
{
  std::vector<Row> rows;
  int top = kBorder;
  for (int i = 0; i < menu.GetNItems(); ++i)
  {
    const IPopupMenu::Item* item = menu.GetItem(i);
    if (item->GetSubmenu()) continue;
    const bool separator = item->GetIsSeparator();
    const int height = separator ? kSeparatorHeight : kRowHeight;
    rows.push_back(Row{i, top, height, separator});
    top += height;
  }
  return rows;
}

bool X11PopupMenu::Open(Display* display, int screen, int rootX, int rootY)
{
  if (!mMenu || mRows.empty() || mWindow) return false;
  const int screenW = DisplayWidth(display, screen), screenH = DisplayHeight(display, screen);
  const int x = std::max(0, std::min(rootX, screenW - mWidth));
  const int y = std::max(0, std::min(rootY, screenH - mHeight));

  XSetWindowAttributes attrs = {};
  attrs.override_redirect = True;
  attrs.save_under = True;
  attrs.background_pixmap = None;
  attrs.border_pixel = 0;
  attrs.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                     StructureNotifyMask;
  mWindow = XCreateWindow(display, RootWindow(display, screen), x, y, (unsigned) mWidth, (unsigned) mHeight, 0,
                          CopyFromParent, InputOutput, CopyFromParent,
                          CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWBorderPixel | CWEventMask, &attrs);
  if (!mWindow) return false;
  mDisplay = display;
  Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  Atom popup = XInternAtom(display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
  XChangeProperty(display, mWindow, type, XA_ATOM, 32, PropModeReplace, (unsigned char*) &popup, 1);

  mBitmap = std::make_unique<LICE_MemBitmap>(mWidth, mHeight);
  mSurface = std::make_unique<X11Surface>(display, mWindow, DefaultVisual(display, screen), DefaultDepth(display, screen));
  XMapRaised(display, mWindow);
  XSync(display, False);
  Paint();

  // The server may still hold another client's grab for a moment; a menu without the
  // grab still works by clicks on it.
  const unsigned int pointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
  for (int tries = 0; tries < 20 && !(mGrabbedPointer && mGrabbedKeyboard); ++tries)
  {
    if (!mGrabbedPointer)
      mGrabbedPointer = XGrabPointer(display, mWindow, False, pointerEvents, GrabModeAsync, GrabModeAsync, None,
                                     None, CurrentTime) == GrabSuccess;
    if (!mGrabbedKeyboard)
      mGrabbedKeyboard = XGrabKeyboard(display, mWindow, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
                         GrabSuccess;
    if (!(mGrabbedPointer && mGrabbedKeyboard)) SleepMs(5);
  }
  return true;
}

bool X11PopupMenu::HandleEvent(_XEvent* event)
{
  if (!mWindow || event->xany.window != mWindow) return false;
  switch (event->type)
  {
    case Expose:
      if (event->xexpose.count == 0) Paint();
      break;
    case MotionNotify: OnMotion(event->xmotion.x, event->xmotion.y); break;
    case ButtonPress:
      if (event->xbutton.button <= Button3) OnButtonPress(event->xbutton.x, event->xbutton.y);
      break;
    case ButtonRelease:
      if (event->xbutton.button <= Button3) OnButtonRelease(event->xbutton.x, event->xbutton.y);
      break;
    case KeyPress:
    {
      char text[8];
      KeySym keysym = NoSymbol;
      XLookupString(&event->xkey, text, sizeof text, &keysym, nullptr);
      OnKey(keysym);
      break;
    }
    case UnmapNotify:
    case DestroyNotify: Dismiss(); break;
    default: break;
  }
  return true;
}

bool X11PopupMenu::Selectable(int row) const
{
  if (row < 0 || row >= (int) mRows.size() || mRows[row].separator) return false;
  return mMenu->GetItem(mRows[row].item)->GetEnabled();
}

int X11PopupMenu::RowAt(int x, int y) const
{
  if (x < kBorder || x >= mWidth - kBorder) return -1;
  for (int i = 0; i < (int) mRows.size(); ++i)
    if (y >= mRows[i].top && y < mRows[i].top + mRows[i].height) return i;
  return -1;
}

void X11PopupMenu::Step(int from, int direction)
{
  const int n = (int) mRows.size();
  int row = from;
  for (int k = 0; k < n; ++k)
  {
    row = (row + direction + n) % n;
    if (Selectable(row))
    {
      mHighlight = row;
      return;
    }
  }
}

void X11PopupMenu::Choose(int row)
{
  if (!Selectable(row)) return;
  mChosen = mRows[row].item;
  mDone = true;
}

void X11PopupMenu::Dismiss()
{
  mChosen = -1;
  mDone = true;
}

void X11PopupMenu::OnKey(unsigned long keysym)
{
  if (mDone) return;
  const int before = mHighlight;
  const int n = (int) mRows.size();
  switch (keysym)
  {
    case XK_Escape: Dismiss(); return;
    case XK_Return:
    case XK_KP_Enter:
    case XK_space: Choose(mHighlight); return;
    case XK_Down:
    case XK_KP_Down: Step(mHighlight < 0 ? -1 : mHighlight, 1); break;
    case XK_Up:
    case XK_KP_Up: Step(mHighlight < 0 ? n : mHighlight, -1); break;
    case XK_Home:
    case XK_KP_Home: Step(-1, 1); break;
    case XK_End:
    case XK_KP_End: Step(n, -1); break;
    default: return;
  }
  if (mHighlight != before) Paint();
}

void X11PopupMenu::OnMotion(int x, int y)
{
  if (mDone) return;
  const int row = RowAt(x, y);
  const int highlight = Selectable(row) ? row : -1;
  if (highlight == mHighlight) return;
  mHighlight = highlight;
  Paint();
}

void X11PopupMenu::OnButtonPress(int x, int y)
{
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
    Dismiss();
  else
    OnMotion(x, y);
}

void X11PopupMenu::OnButtonRelease(int x, int y)
{
  // A release elsewhere, such as that of the press that opened the menu at its corner,
  // leaves it open.
  Choose(RowAt(x, y));
}

void X11PopupMenu::Paint()
{
  if (!mBitmap || !mMenu) return;
  raster::Bitmap* b = mBitmap.get();
  raster::Paint p;
  p.color = kFace;
  raster::FillRect(b, raster::Rect{0, 0, mWidth, mHeight}, p);
  p.color = kFrame;
  raster::FrameRect(b, raster::Rect{0, 0, mWidth, mHeight}, p);
  raster::Font* font = mStyle.mCached ? mStyle.mCached : (mGraphics ? mGraphics->CacheFont(&mStyle) : nullptr);
  const int inner = mWidth - 2 * kBorder;
  for (int i = 0; i < (int) mRows.size(); ++i)
  {
    const Row& row = mRows[i];
    if (row.separator)
    {
      p.color = kRule;
      const int y = row.top + row.height / 2;
      raster::Line(b, kBorder + 4, y, mWidth - kBorder - 5, y, p);
      continue;
    }
    const IPopupMenu::Item* item = mMenu->GetItem(row.item);
    const bool lit = i == mHighlight;
    if (lit)
    {
      p.color = kHighlight;
      raster::FillRect(b, raster::Rect{kBorder, row.top, inner, row.height}, p);
    }
    const uint32_t ink = !item->GetEnabled() ? kGreyInk : lit ? kHighlightInk : kInk;
    if (item->GetChecked())
    {
      // A tick in the check column.
      raster::Paint tick;
      tick.color = ink;
      tick.antiAlias = true;
      const int cx = kBorder + kCheckColumn / 2, cy = row.top + row.height / 2;
      raster::Line(b, cx - 4, cy, cx - 1, cy + 3, tick);
      raster::Line(b, cx - 1, cy + 3, cx + 4, cy - 4, tick);
    }
    if (font)
    {
      const int x = kBorder + kCheckColumn + (item->GetIsTitle() ? kIndent : 0);
      const int top = row.top + (row.height - font->LineHeight()) / 2;
      font->DrawText(b, Title(*mMenu, row.item).c_str(), raster::Rect{x, top, mWidth - x, font->LineHeight()},
                     raster::kTextLeft, ink);
    }
  }
  if (mSurface)
  {
    mSurface->Copy(b, 0, 0, mWidth, mHeight);
    XFlush(mDisplay);
  }
}
