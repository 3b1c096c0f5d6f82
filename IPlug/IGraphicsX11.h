#pragma once
// The graphics context in an X11 window, put on screen as X images. The window
// is a child of a given X window (a host's) or a top-level window of its own. All X work
// happens on the thread that drives the editor, by one of two roads: Run, an event loop
// of the editor's own (a standalone program), or Idle, called regularly by embedding
// code (a host's idle callback). Either way the dirty area is repainted at the context's
// frame rate. Each opening of the window has its own connection to the X server.
//
// Pointer positions reach the controls two pixels up and to the left of the pixel under
// the pointer's hot spot: the editor was laid out for that. Buttons: left, right and
// middle; the wheel gives one step per notch; a second press of the left button within
// the server's double-click time and a few pixels is a double click; Super with the
// left button acts as the right button (value entry). Keys: space, arrows, digits and
// letters go to the editor; other keys go on to the parent window.
//
// Text entry is a child window over the control (X11TextField), popup menus an
// override-redirect window under the pointer (X11PopupMenu); both, and file dialogs
// (zenity or kdialog, when installed), are modal as on any desktop: while one is open
// the window keeps repainting but takes no input. Web addresses open through xdg-open.
// Bitmaps are PNG files in the plug-in's resources folder (PluginLocation).

#include "IPlug/IGraphics.h"
#include "IPlug/PluginLocation.h"
#include "IPlug/x11/ClickCounter.h"
#include "IPlug/x11/X11Modifiers.h"

#include <atomic>
#include <bitset>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class X11Surface;
class X11TextField;
union _XEvent;

class IGraphicsX11 : public IGraphics
{
public:
  // Pointer positions are moved by this much before they reach the controls.
  static constexpr int kPointerShiftX = -2;
  static constexpr int kPointerShiftY = -2;

  IGraphicsX11(IPlugBase* plug, int width, int height, int fps = 0);
  ~IGraphicsX11() override;

  // ----- where the plug-in lives -----

  void SetPluginFolder(const char* dir) { mLocation.SetPluginFolder(dir); }
  // Defaults to the "resources" folder beside the binary.
  void SetResourceFolder(const char* dir) { mLocation.SetResourceFolder(dir); }
  const char* GetPluginFolder() const { return mLocation.PluginFolder().c_str(); }
  const char* GetResourceFolder() const { return mLocation.ResourceFolder().c_str(); }

  // ----- the window -----

  // The X display windows open on; null or empty for $DISPLAY.
  void SetDisplayName(const char* name) { mDisplayName = name ? name : ""; }
  // The title of a top-level window; the plug-in's name unless set.
  void SetWindowTitle(const char* title) { mTitle = title ? title : ""; }
  // The window is the editor drawn at a scale (IGraphics::SetScale: 1, 1.5 or 2, set
  // before OpenWindow): scale times the editor's size, pointer positions divided by the
  // scale. The environment variable OSTRAKON_UI_SCALE ("1", "1.5" or "2"), when set,
  // overrides the scale at every OpenWindow.
  static double ScaleFromEnvironment(double scale);

  // Handles the events that have arrived and repaints the dirty area when a frame is
  // due. Returns whether the window is still open (it closes itself when its top-level
  // window is closed or its parent destroyed).
  bool Idle();
  // Runs until the window closes or *stop becomes true (checked at least once a frame;
  // a signal handler may set it).
  void Run(const std::atomic<bool>* stop = nullptr);

  // The connection of the open window, null while closed.
  Display* GetDisplay() const { return mDisplay; }
  bool TextEntryOpen() const { return mTextField != nullptr; }
  // The open text field's window, 0 when none.
  unsigned long TextEntryWindow() const;

  // ----- platform operations -----

  bool Draw(IRECT* r) override;
  // Copies r (the dirty area) of the draw bitmap to the window.
  bool DrawScreen(IRECT* r) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mDisplay != nullptr; }
  const char* GetGUIAPI() override { return "X11 gui"; }
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                       IParam* param) override;
  // The plug-in's binary, and the folder holding it (with a trailing "/").
  void HostPath(WDL_String* path) override;
  void PluginPath(WDL_String* path) override;
  void PromptForFile(WDL_String* filename, EFileAction action, WDL_String* dir,
                     const char* extensions) override;
  bool PromptForColor(IColor*, const char*) override { return false; }
  // True when xdg-open was started for the address; it then runs on its own.
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  // parent: an X window id (cast to a pointer), or null for a top-level window. Returns
  // the editor's window id the same way, or null when no window could be made.
  void* OpenWindow(void* parent) override;
  void* OpenWindow(void* window, void* control) override { return IGraphics::OpenWindow(window, control); }
  void CloseWindow() override;
  void* GetWindow() override;
  raster::Bitmap* OSLoadBitmap(int id, const char* name) override;

private:
  using Clock = std::chrono::steady_clock;

  void HandleEvent(_XEvent* event);
  // During a menu or dialog: exposures and closing only.
  void HandleModalEvent(_XEvent* event);
  void HandleTextFieldEvent(_XEvent* event);
  void OnButtonPress(_XEvent* event);
  void OnButtonRelease(_XEvent* event);
  void OnMotion(_XEvent* event);
  void OnKey(_XEvent* event);
  void PassKeyOn(_XEvent* event);
  void TrackPointer(int x, int y, int rootX, int rootY);

  void ProcessEvents();
  void PaintIfDue();
  void Paint();
  // r in editor pixels; the device form in window pixels.
  void CopyToWindow(IRECT r);
  void CopyDeviceToWindow(IRECT r);
  void EndTextEntry(bool handOn);
  // Runs a nested loop until done() says so or the window is closing: events go to
  // modal (and, when it declines them, to HandleModalEvent), the frame timer keeps
  // running, and fd (when >= 0) readable calls onFd.
  void RunModal(const std::function<bool(_XEvent*)>& modal, const std::function<bool()>& done, int fd = -1,
                const std::function<void()>& onFd = nullptr);
  int MillisecondsToFrame() const;

  PluginLocation mLocation;
  std::string mDisplayName, mTitle;

  Display* mDisplay = nullptr;
  int mScreen = 0;
  unsigned long mWindow = 0, mParent = 0, mColormap = 0;
  void* mVisual = nullptr;
  int mDepth = 0;
  bool mTopLevel = false;
  bool mWindowGone = false;
  bool mCloseRequested = false;
  unsigned long mDeleteAtom = 0;
  std::unique_ptr<X11Surface> mSurface;
  std::unique_ptr<X11TextField> mTextField;
  X11Modifiers mModifiers;
  ClickCounter mClicks;
  std::bitset<256> mKeysPassedOn;
  bool mFullRepaint = false;
  bool mHovering = false;
  int mModalDepth = 0;
  int mPrevX = 0, mPrevY = 0;
  int mRootX = 0, mRootY = 0;
  Clock::time_point mNextFrame;
};
