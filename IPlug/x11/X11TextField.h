#pragma once
// The X11 editor's in-place text field: a child window over a control that edits one
// line in the control's face at 90 % of its size and in its alignment, black on white,
// with a cursor and the whole text selected when it opens. The field's rules are those
// of TextEntryFilter for its parameter and the control's entry length. Return, Enter
// and Tab end the edit handing the text on; Escape ends it without.

#include "IPlug/IText.h"
#include "IPlug/x11/LineEditor.h"
#include "IPlug/x11/X11Surface.h"
#include "raster/Bitmap.h"

#include <memory>
#include <string>

class IControl;
class IGraphics;
class IParam;
union _XEvent;

class X11TextField
{
public:
  enum class Outcome
  {
    Editing,
    Commit, // hand the text on
    Cancel  // end without handing it on
  };

  // Blank margin left and right of the text, in pixels.
  static constexpr int kPadding = 2;

  X11TextField(IGraphics* graphics, IControl* control, IParam* param, const IText& style, const char* text);
  // Destroys the window.
  ~X11TextField();

  X11TextField(const X11TextField&) = delete;
  X11TextField& operator=(const X11TextField&) = delete;

  // Creates the window at (x, y) in parent, w x h, shows it and takes the keyboard
  // focus (handed back to the parent when the field goes). visual: a Visual*.
  bool Open(Display* display, unsigned long parent, void* visual, int depth, unsigned long colormap, int x, int y,
            int w, int h);
  unsigned long Window() const { return mWindow; }

  // A key press on the field or its editor.
  Outcome OnKeyPress(_XEvent* event);
  // The same without X: the key's symbol and the text it types (Latin-1, as
  // XLookupString gives it).
  Outcome OnKey(unsigned long keysym, const char* text, int textLength, bool shift, bool control);
  // A click puts the cursor at the nearest character boundary.
  void OnButtonPress(int x);

  // Draws the field into its bitmap and, with a window, onto the screen.
  void Paint();
  const raster::Bitmap* Bitmap() const { return mBitmap.get(); }

  const std::string& Text() const { return mEditor.Text(); }
  const LineEditor& Editor() const { return mEditor; }
  IControl* Control() const { return mControl; }
  IParam* Param() const { return mParam; }

private:
  raster::Font* Font();
  double TextWidth(size_t bytes);
  // Where the text starts, keeping the cursor in view when the text is wider.
  double TextOrigin(double textWidth);

  IGraphics* mGraphics;
  IControl* mControl;
  IParam* mParam;
  IText mStyle;
  LineEditor mEditor;
  Display* mDisplay = nullptr;
  unsigned long mWindow = 0;
  int mWidth = 0, mHeight = 0;
  double mScroll = 0.0;
  std::unique_ptr<LICE_MemBitmap> mBitmap;
  std::unique_ptr<X11Surface> mSurface;
};
