#pragma once
// A popup menu in a borderless override-redirect window whose top-left corner is under
// the pointer. One row per item: its text behind the numbering prefix of the menu's
// mode ("1: ", "01: " or "001: " for the item's place counted from 1), a check mark
// column, indented rows, greyed disabled rows and thin separators; items with a
// submenu are left out. The pointer and keyboard are grabbed while it is open. Releasing
// a button over an enabled item or pressing Return, Enter or space on the highlighted
// one chooses it; the arrows, Home and End move the highlight; Escape or a press
// outside dismisses the menu.

#include "raster/Bitmap.h"
#include "IPlug/IText.h"
#include "IPlug/x11/X11Surface.h"

#include <memory>
#include <string>
#include <vector>

class IGraphics;
class IPopupMenu;
union _XEvent;

class X11PopupMenu
{
public:
  // Geometry in pixels, for drawing and for tests that aim at a row.
  static constexpr int kBorder = 1;
  static constexpr int kRowHeight = 20;
  static constexpr int kSeparatorHeight = 7;
  static constexpr int kCheckColumn = 18;
  static constexpr int kIndent = 12;
  static constexpr int kRightPadding = 14;
  static constexpr int kMinWidth = 60;
  static constexpr int kTextSize = 13;

  struct Row
  {
    int item;  // index in the IPopupMenu
    int top;   // from the window's top edge
    int height;
    bool separator;
  };

  X11PopupMenu(IGraphics* graphics, IPopupMenu* menu);
  ~X11PopupMenu();

  X11PopupMenu(const X11PopupMenu&) = delete;
  X11PopupMenu& operator=(const X11PopupMenu&) = delete;

  // An item's text with the menu's numbering prefix.
  static std::string Title(const IPopupMenu& menu, int item);
  // The rows, top to bottom, without X.
  static std::vector<Row> Layout(const IPopupMenu& menu);

  // Opens the window with its top-left corner at (rootX, rootY) on the screen, moved in
  // as far as needed to fit, and grabs the pointer and keyboard. False when the menu
  // has no row or no window can be made.
  bool Open(Display* display, int screen, int rootX, int rootY);
  unsigned long Window() const { return mWindow; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

  // Events on the menu's window; false for any other.
  bool HandleEvent(_XEvent* event);
  bool Done() const { return mDone; }
  // The IPopupMenu index chosen, or -1.
  int Chosen() const { return mChosen; }
  // The row highlighted, or -1.
  int Highlighted() const { return mHighlight; }

  // Keyboard and pointer choice without X, in the window's coordinates.
  void OnKey(unsigned long keysym);
  void OnMotion(int x, int y);
  void OnButtonPress(int x, int y);
  void OnButtonRelease(int x, int y);

  void Paint();

private:
  bool Selectable(int row) const;
  int RowAt(int x, int y) const;
  void Step(int from, int direction);
  void Choose(int row);
  void Dismiss();

  IGraphics* mGraphics;
  IPopupMenu* mMenu;
  IText mStyle;
  std::vector<Row> mRows;
  int mWidth = 0, mHeight = 0;
  int mHighlight = -1;
  int mChosen = -1;
  bool mDone = false;
  Display* mDisplay = nullptr;
  unsigned long mWindow = 0;
  bool mGrabbedPointer = false, mGrabbedKeyboard = false;
  std::unique_ptr<LICE_MemBitmap> mBitmap;
  std::unique_ptr<X11Surface> mSurface;
};
