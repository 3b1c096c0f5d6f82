#include "IPlug/IGraphicsX11.h"

#include "IPlug/IControl.h"
#include "IPlug/IPlugBase.h"
#include "IPlug/x11/ChildProcess.h"
#include "IPlug/x11/FileChooser.h"
#include "IPlug/x11/X11ErrorTrap.h"
#include "IPlug/x11/X11KeyMap.h"
#include "IPlug/x11/X11PopupMenu.h"
#include "IPlug/x11/X11Surface.h"
#include "IPlug/x11/X11TextField.h"
#include "raster/Bitmap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr long kWindowEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                               KeyPressMask | KeyReleaseMask | LeaveWindowMask | StructureNotifyMask;
// How long a file dialog may take to go once its answer is in.
constexpr int kDialogExitMs = 2000;
} // namespace

IGraphicsX11::IGraphicsX11(IPlugBase* plug, int width, int height, int fps)
  : IGraphics(plug, width, height, fps)
{
}

IGraphicsX11::~IGraphicsX11() { CloseWindow(); }

unsigned long IGraphicsX11::TextEntryWindow() const { return mTextField ? mTextField->Window() : 0; }

// ----- the window -----

double IGraphicsX11::ScaleFromEnvironment(double scale)
{
  const char* text = getenv("OSTRAKON_UI_SCALE");
  if (!text || !*text) return scale;
  const std::string s = text;
  if (s == "1" || s == "1.0") return 1.0;
  if (s == "1.5") return 1.5;
  if (s == "2" || s == "2.0") return 2.0;
  return scale; // anything else is not a scale the editor is drawn at
}

void* IGraphicsX11::OpenWindow(void* parent)
{
  CloseWindow();
  const double scale = ScaleFromEnvironment(GetScale());
  if (scale != GetScale()) SetScale(scale);
  Display* d = XOpenDisplay(mDisplayName.empty() ? nullptr : mDisplayName.c_str());
  if (!d) return nullptr;
  X11ErrorTrap::Watch(d);

  int screen = DefaultScreen(d);
  const Window parentWindow = parent ? (Window) (uintptr_t) parent : RootWindow(d, screen);
  Visual* visual = DefaultVisual(d, screen);
  int depth = DefaultDepth(d, screen);
  Colormap colormap = DefaultColormap(d, screen);
  bool ok = true;
  if (parent)
  {
    // A host's window may use another visual than the screen's default.
    XWindowAttributes pa;
    ok = XGetWindowAttributes(d, parentWindow, &pa) && pa.c_class == InputOutput;
    if (ok)
    {
      visual = pa.visual;
      depth = pa.depth;
      screen = XScreenNumberOfScreen(pa.screen);
      if (pa.colormap != None) colormap = pa.colormap;
    }
  }
  Window w = 0;
  if (ok)
  {
    XSetWindowAttributes attrs = {};
    attrs.background_pixmap = None; // the bitmap covers the window: nothing to clear first
    attrs.border_pixel = 0;
    attrs.colormap = colormap;
    attrs.event_mask = kWindowEvents;
    w = XCreateWindow(d, parentWindow, 0, 0, (unsigned) DeviceWidth(), (unsigned) DeviceHeight(), 0, depth,
                      InputOutput,
                      visual, CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attrs);
    ok = w != 0;
  }
  if (ok && !parent)
  {
    const std::string title = !mTitle.empty() ? mTitle : GetPlug() ? GetPlug()->GetEffectName() : "";
    XStoreName(d, w, title.c_str());
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
                    PropModeReplace, (const unsigned char*) title.c_str(), (int) title.size());
    mDeleteAtom = XInternAtom(d, "WM_DELETE_WINDOW", False);
    Atom protocols[] = {(Atom) mDeleteAtom};
    XSetWMProtocols(d, w, protocols, 1);
    XSizeHints* size = XAllocSizeHints();
    if (size)
    {
      size->flags = PMinSize | PMaxSize;
      size->min_width = size->max_width = DeviceWidth();
      size->min_height = size->max_height = DeviceHeight();
      XSetWMNormalHints(d, w, size);
      XFree(size);
    }
    XWMHints* hints = XAllocWMHints();
    if (hints)
    {
      hints->flags = InputHint | StateHint;
      hints->input = True;
      hints->initial_state = NormalState;
      XSetWMHints(d, w, hints);
      XFree(hints);
    }
  }
  if (ok)
  {
    XMapWindow(d, w);
    XSync(d, False);
    ok = X11ErrorTrap::TakeErrors(d) == 0; // a parent that does not exist, for one
  }
  if (!ok)
  {
    XCloseDisplay(d);
    X11ErrorTrap::Forget(d);
    return nullptr;
  }

  mDisplay = d;
  mScreen = screen;
  mWindow = w;
  mParent = parentWindow;
  mTopLevel = parent == nullptr;
  mVisual = visual;
  mDepth = depth;
  mColormap = colormap;
  mWindowGone = false;
  mCloseRequested = false;
  mHovering = false;
  mKeysPassedOn.reset();
  mClicks.Reset();
  mModifiers.ReadFrom(d);
  mSurface = std::make_unique<X11Surface>(d, w, visual, depth);
  // As when a view first appears: the whole editor is drawn.
  mFullRepaint = true;
  Paint();
  mNextFrame = Clock::now() + std::chrono::milliseconds(1000 / FPS());
  return (void*) (uintptr_t) w;
}

void IGraphicsX11::CloseWindow()
{
  if (!mDisplay) return;
  mTextField.reset(); // an open field ends without handing its text on
  mSurface.reset();
  Display* d = mDisplay;
  if (!mWindowGone && mWindow) XDestroyWindow(d, mWindow);
  mDisplay = nullptr;
  mWindow = 0;
  mParent = 0;
  mVisual = nullptr;
  mCloseRequested = false;
  XCloseDisplay(d);
  X11ErrorTrap::Forget(d);
}

void* IGraphicsX11::GetWindow() { return mDisplay ? (void*) (uintptr_t) mWindow : nullptr; }

// ----- driving -----

bool IGraphicsX11::Idle()
{
  if (!mDisplay) return false;
  if (mModalDepth > 0) return true; // the nested loop of a menu or dialog serves the window
  ProcessEvents();
  PaintIfDue();
  if (mCloseRequested) CloseWindow();
  return mDisplay != nullptr;
}

void IGraphicsX11::Run(const std::atomic<bool>* stop)
{
  while (mDisplay && !(stop && stop->load()))
  {
    if (XPending(mDisplay) == 0)
    {
      pollfd p = {ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&p, 1, MillisecondsToFrame());
    }
    Idle();
  }
}

int IGraphicsX11::MillisecondsToFrame() const
{
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(mNextFrame - Clock::now()).count();
  return (int) std::max<long long>(0, std::min<long long>(left, 1000 / FPS()));
}

void IGraphicsX11::ProcessEvents()
{
  while (mDisplay && XPending(mDisplay))
  {
    XEvent e;
    XNextEvent(mDisplay, &e);
    HandleEvent(&e);
  }
}

void IGraphicsX11::PaintIfDue()
{
  const Clock::time_point now = Clock::now();
  if (now < mNextFrame) return;
  Paint();
  const auto period = std::chrono::milliseconds(1000 / FPS());
  mNextFrame += period;
  if (mNextFrame <= now) mNextFrame = now + period; // after a stall, no burst of frames
}

void IGraphicsX11::Paint()
{
  if (!mDisplay || !mSurface) return;
  IRECT r;
  if (mFullRepaint)
  {
    mFullRepaint = false;
    r = IRECT(0, 0, Width(), Height());
    Draw(&r);
  }
  else if (IsDirty(&r))
    Draw(&r);
}

bool IGraphicsX11::Draw(IRECT* r)
{
  const bool shown = IGraphics::Draw(r);
  if (mResizePending)
  {
    if (raster::Bitmap* b = GetDrawBitmap()) b->Resize(DeviceWidth(), DeviceHeight());
    if (mDisplay)
    {
      XResizeWindow(mDisplay, mWindow, (unsigned) DeviceWidth(), (unsigned) DeviceHeight());
    }
    mResizePending = false;
  }
  return shown;
}

bool IGraphicsX11::DrawScreen(IRECT* r)
{
  if (!mDisplay || !mSurface) return false;
  CopyToWindow(r ? *r : IRECT(0, 0, Width(), Height()));
  return true;
}

void IGraphicsX11::CopyToWindow(IRECT r)
{
  // At a scale, the area in window pixels, widened to whole pixels.
  const double s = GetScale();
  CopyDeviceToWindow(IRECT((int) std::floor(r.L * s), (int) std::floor(r.T * s), (int) std::ceil(r.R * s),
                           (int) std::ceil(r.B * s)));
}

void IGraphicsX11::CopyDeviceToWindow(IRECT r)
{
  const int l = std::max(r.L, 0), t = std::max(r.T, 0);
  const int right = std::min(r.R, DeviceWidth()), bottom = std::min(r.B, DeviceHeight());
  if (!mSurface || right <= l || bottom <= t) return;
  mSurface->Copy(GetDrawBitmap(), l, t, right - l, bottom - t);
  XFlush(mDisplay);
}

void IGraphicsX11::Resize(int w, int h)
{
  IGraphics::Resize(w, h);
  if (raster::Bitmap* b = GetDrawBitmap()) b->Resize(DeviceWidth(), DeviceHeight());
  if (mDisplay)
  {
    XResizeWindow(mDisplay, mWindow, (unsigned) DeviceWidth(), (unsigned) DeviceHeight());
    if (mTopLevel)
      if (XSizeHints* size = XAllocSizeHints())
      {
        size->flags = PMinSize | PMaxSize;
        size->min_width = size->max_width = DeviceWidth();
        size->min_height = size->max_height = DeviceHeight();
        XSetWMNormalHints(mDisplay, mWindow, size);
        XFree(size);
      }
  }
  mFullRepaint = true;
}

// ----- events -----

void IGraphicsX11::HandleEvent(_XEvent* e)
{
  if (e->type == MappingNotify)
  {
    XRefreshKeyboardMapping(&e->xmapping);
    mModifiers.ReadFrom(mDisplay);
    return;
  }
  if (mTextField && e->xany.window == mTextField->Window())
  {
    HandleTextFieldEvent(e);
    return;
  }
  if (e->xany.window != mWindow) return;
  switch (e->type)
  {
    case Expose:
      CopyDeviceToWindow(IRECT(e->xexpose.x, e->xexpose.y, e->xexpose.x + e->xexpose.width,
                               e->xexpose.y + e->xexpose.height));
      break;
    case ButtonPress: OnButtonPress(e); break;
    case ButtonRelease: OnButtonRelease(e); break;
    case MotionNotify: OnMotion(e); break;
    case KeyPress: OnKey(e); break;
    case KeyRelease:
      if (mKeysPassedOn.test(e->xkey.keycode & 255))
      {
        mKeysPassedOn.reset(e->xkey.keycode & 255);
        PassKeyOn(e);
      }
      break;
    case LeaveNotify:
      if (e->xcrossing.mode == NotifyNormal && mHovering)
      {
        mHovering = false;
        OnMouseOut();
      }
      break;
    case ClientMessage:
      if (mTopLevel && (unsigned long) e->xclient.data.l[0] == mDeleteAtom) mCloseRequested = true;
      break;
    case DestroyNotify:
      if (e->xdestroywindow.window == mWindow)
      {
        mWindowGone = true; // with its parent, most likely
        mCloseRequested = true;
      }
      break;
    default: break;
  }
}

void IGraphicsX11::HandleModalEvent(_XEvent* e)
{
  if (mTextField && e->xany.window == mTextField->Window())
  {
    if (e->type == Expose && e->xexpose.count == 0) mTextField->Paint();
    return;
  }
  switch (e->type)
  {
    case Expose:
    case ClientMessage:
    case DestroyNotify:
    case MappingNotify: HandleEvent(e); break;
    default: break; // input waits for the menu or dialog to go
  }
}

void IGraphicsX11::HandleTextFieldEvent(_XEvent* e)
{
  switch (e->type)
  {
    case Expose:
      if (e->xexpose.count == 0) mTextField->Paint();
      break;
    case KeyPress:
    {
      const X11TextField::Outcome outcome = mTextField->OnKeyPress(e);
      if (outcome != X11TextField::Outcome::Editing) EndTextEntry(outcome == X11TextField::Outcome::Commit);
      break;
    }
    case ButtonPress:
      if (e->xbutton.button <= Button3) mTextField->OnButtonPress(e->xbutton.x);
      break;
    case FocusOut:
      // The keyboard went elsewhere: the edit ends as with Return.
      if ((e->xfocus.mode == NotifyNormal || e->xfocus.mode == NotifyWhileGrabbed) &&
          e->xfocus.detail != NotifyInferior && e->xfocus.detail != NotifyPointer)
        EndTextEntry(true);
      break;
    default: break;
  }
}

void IGraphicsX11::TrackPointer(int x, int y, int rootX, int rootY)
{
  // Window pixels to editor pixels first: at a scale, several window pixels make one.
  const double s = GetScale();
  mPrevX = (s == 1.0 ? x : (int) std::floor(x / s)) + kPointerShiftX;
  mPrevY = (s == 1.0 ? y : (int) std::floor(y / s)) + kPointerShiftY;
  mRootX = rootX;
  mRootY = rootY;
}

void IGraphicsX11::OnButtonPress(_XEvent* e)
{
  const XButtonEvent& b = e->xbutton;
  TrackPointer(b.x, b.y, b.x_root, b.y_root);
  if (b.button == Button4 || b.button == Button5)
  {
    EndTextEntry(false);
    IMouseMod mod = mModifiers.PointerMod(b.state, X11Modifiers::Button::Left);
    OnMouseWheel(mPrevX, mPrevY, &mod, b.button == Button4 ? 1 : -1);
    return;
  }
  if (b.button > Button3) return; // sideways scrolling and extra buttons
  // A click beside an open field takes the keyboard from it: the edit ends as with Return.
  EndTextEntry(true);
  const int count = mClicks.Press(b.button, (uint32_t) b.time, b.x, b.y);
  if (b.button == Button1)
  {
    IMouseMod mod = mModifiers.PointerMod(b.state, X11Modifiers::Button::Left);
    if (count >= 2)
      OnMouseDblClick(mPrevX, mPrevY, &mod);
    else
      OnMouseDown(mPrevX, mPrevY, &mod);
  }
  else
  {
    IMouseMod mod = mModifiers.PointerMod(
        b.state, b.button == Button3 ? X11Modifiers::Button::Right : X11Modifiers::Button::Middle);
    OnMouseDown(mPrevX, mPrevY, &mod);
  }
}

void IGraphicsX11::OnButtonRelease(_XEvent* e)
{
  const XButtonEvent& b = e->xbutton;
  if (b.button > Button3) return;
  TrackPointer(b.x, b.y, b.x_root, b.y_root);
  const X11Modifiers::Button button = b.button == Button1   ? X11Modifiers::Button::Left
                                      : b.button == Button3 ? X11Modifiers::Button::Right
                                                            : X11Modifiers::Button::Middle;
  IMouseMod mod = mModifiers.PointerMod(b.state, button);
  OnMouseUp(mPrevX, mPrevY, &mod);
}

void IGraphicsX11::OnMotion(_XEvent* e)
{
  // Only the latest of the moves queued one after another matters.
  XEvent latest = *e;
  while (XEventsQueued(mDisplay, QueuedAlready) > 0)
  {
    XEvent next;
    XPeekEvent(mDisplay, &next);
    if (next.type != MotionNotify || next.xmotion.window != mWindow) break;
    XNextEvent(mDisplay, &latest);
  }
  const XMotionEvent& m = latest.xmotion;
  TrackPointer(m.x, m.y, m.x_root, m.y_root);
  if (m.state & (Button1Mask | Button2Mask | Button3Mask))
  {
    if (mTextField) return; // no drags under an open field
    const X11Modifiers::Button button = (m.state & Button1Mask)   ? X11Modifiers::Button::Left
                                        : (m.state & Button3Mask) ? X11Modifiers::Button::Right
                                                                  : X11Modifiers::Button::Middle;
    IMouseMod mod = mModifiers.PointerMod(m.state, button);
    OnMouseDrag(mPrevX, mPrevY, &mod);
  }
  else
  {
    IMouseMod mod = mModifiers.PointerMod(m.state, X11Modifiers::Button::Left);
    mHovering = OnMouseOver(mPrevX, mPrevY, &mod);
  }
}

void IGraphicsX11::OnKey(_XEvent* e)
{
  if (mTextField)
  {
    const X11TextField::Outcome outcome = mTextField->OnKeyPress(e);
    if (outcome != X11TextField::Outcome::Editing) EndTextEntry(outcome == X11TextField::Outcome::Commit);
    return;
  }
  XKeyEvent plain = e->xkey;
  plain.state &= ~mModifiers.CommandMasks();
  char text[16];
  KeySym keysym = NoSymbol;
  const int n = XLookupString(&plain, text, sizeof text, &keysym, nullptr);
  const int key = X11KeyMap::Translate(keysym, text, n);
  if (key >= 0 && OnKeyDown(mPrevX, mPrevY, key)) return;
  if (key < 0 && X11KeyMap::IsModifier(keysym)) return;
  if (!mDisplay) return;
  mKeysPassedOn.set(e->xkey.keycode & 255);
  PassKeyOn(e);
}

void IGraphicsX11::PassKeyOn(_XEvent* e)
{
  if (!mDisplay || mTopLevel || !mParent) return;
  XEvent copy = *e;
  copy.xkey.window = mParent;
  copy.xkey.subwindow = mWindow;
  XSendEvent(mDisplay, mParent, True, e->type == KeyPress ? KeyPressMask : KeyReleaseMask, &copy);
  XFlush(mDisplay);
}

// ----- text entry -----

void IGraphicsX11::CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str, IParam* param)
{
  if (!mDisplay || !control || mTextField) return;
  const IRECT r = textRect ? *textRect : *control->GetRECT();
  // The field covers the rectangle's right and bottom edges too; at a scale, its place
  // and its text are scaled.
  IText style = text ? *text : *control->GetText();
  style.mSize = (int) std::floor(style.mSize * GetScale() + 0.5);
  style.mCached = nullptr;
  const IRECT d = ToDevice(IRECT(r.L, r.T, r.R + 1, r.B + 1));
  auto field = std::make_unique<X11TextField>(this, control, param, style, str);
  if (field->Open(mDisplay, mWindow, mVisual, mDepth, mColormap, d.L, d.T, d.W(), d.H()))
    mTextField = std::move(field);
}

void IGraphicsX11::EndTextEntry(bool handOn)
{
  if (!mTextField) return;
  std::unique_ptr<X11TextField> field = std::move(mTextField);
  const std::string text = field->Text();
  IControl* control = field->Control();
  IParam* param = field->Param();
  field.reset(); // the keyboard goes back to the editor's window
  if (mDisplay) XFlush(mDisplay);
  if (!handOn || !control) return;
  if (param)
    SetFromStringAfterPrompt(control, param, text.c_str());
  else
    control->TextFromTextEntry(text.c_str());
  mFullRepaint = true;
}

void IGraphicsX11::ForceEndUserEdit() { EndTextEntry(false); }

// ----- menus and dialogs -----

void IGraphicsX11::RunModal(const std::function<bool(_XEvent*)>& modal, const std::function<bool()>& done, int fd,
                            const std::function<void()>& onFd)
{
  ++mModalDepth;
  while (mDisplay && !mCloseRequested && !done())
  {
    pollfd fds[2] = {{ConnectionNumber(mDisplay), POLLIN, 0}, {fd, POLLIN, 0}};
    const int nfds = fd >= 0 ? 2 : 1;
    const bool queued = XPending(mDisplay) > 0;
    if (poll(fds, (nfds_t) nfds, queued ? 0 : MillisecondsToFrame()) > 0 && nfds == 2 &&
        (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) && onFd)
      onFd();
    while (mDisplay && XPending(mDisplay))
    {
      XEvent e;
      XNextEvent(mDisplay, &e);
      if (!modal || !modal(&e)) HandleModalEvent(&e);
    }
    PaintIfDue();
  }
  --mModalDepth;
  mClicks.Reset(); // the press that opened it and the next one make no double click
}

IPopupMenu* IGraphicsX11::CreateIPopupMenu(IPopupMenu* menu, IRECT*)
{
  ReleaseMouseCapture();
  if (!mDisplay || !menu) return nullptr;
  // Under the pointer where it is now; where it last was in the window if it has gone
  // to another screen.
  int rootX = mRootX, rootY = mRootY, x, y;
  Window root, child;
  unsigned int state;
  if (XQueryPointer(mDisplay, mWindow, &root, &child, &rootX, &rootY, &x, &y, &state) == False)
  {
    rootX = mRootX;
    rootY = mRootY;
  }
  int chosen = -1;
  {
    X11PopupMenu popup(this, menu);
    if (!popup.Open(mDisplay, mScreen, rootX, rootY)) return nullptr;
    RunModal([&popup](_XEvent* e) { return popup.HandleEvent(e); }, [&popup] { return popup.Done(); });
    chosen = popup.Chosen();
  }
  if (mDisplay) XFlush(mDisplay);
  if (chosen < 0) return nullptr;
  menu->SetChosenItemIdx(chosen);
  return menu;
}

void IGraphicsX11::PromptForFile(WDL_String* filename, EFileAction action, WDL_String* dir, const char* extensions)
{
  if (!filename) return;
  if (!mDisplay)
  {
    filename->Set("");
    return;
  }
  FileChooser::Request request;
  request.save = action == kFileSave;
  request.defaultName = filename->Get();
  std::string start = dir ? dir->Get() : "";
  if (start.empty())
  {
    start = "~/Desktop";
    if (dir) dir->Set(start.c_str());
  }
  request.dir = FileChooser::ExpandHome(start, getenv("HOME"));
  request.types = FileChooser::SplitTypes(extensions);
  filename->Set("");

  std::string toolPath;
  const FileChooser::Tool tool = FileChooser::Find(&toolPath);
  if (tool == FileChooser::Tool::NotFound) return; // no chooser installed: as if cancelled
  ChildProcess chooser;
  if (!chooser.Start(FileChooser::Command(tool, toolPath, request), DisplayString(mDisplay))) return;
  ReleaseMouseCapture();
  RunModal(nullptr, [&chooser] { return chooser.OutputFd() < 0; }, chooser.OutputFd(),
           [&chooser] { chooser.ReadAvailable(); });
  if (chooser.OutputFd() >= 0) return; // the window is closing; the chooser goes with it
  const int status = chooser.Finish(kDialogExitMs);
  const std::string path = FileChooser::Answer(chooser.Output());
  if (path.empty() || (status != 0 && status != ChildProcess::kStatusUnknown)) return;
  const std::string chosen = FileChooser::WithType(path, request);
  filename->Set(chosen.c_str());
  if (dir)
  {
    const size_t slash = chosen.rfind('/');
    if (slash != std::string::npos) dir->Set(chosen.substr(0, slash + 1).c_str());
  }
}

bool IGraphicsX11::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url || !*url) return false;
  const std::string opener = ChildProcess::FindOnPath("xdg-open");
  if (opener.empty()) return false;
  const char* display = mDisplay ? DisplayString(mDisplay) : !mDisplayName.empty() ? mDisplayName.c_str() : nullptr;
  return ChildProcess::StartDetached({opener, url}, display);
}

// ----- where the plug-in lives -----

void IGraphicsX11::HostPath(WDL_String* path)
{
  if (path) path->Set(mLocation.BinaryPath().c_str());
}

void IGraphicsX11::PluginPath(WDL_String* path)
{
  if (path) path->Set((mLocation.PluginFolder() + "/").c_str());
}

raster::Bitmap* IGraphicsX11::OSLoadBitmap(int, const char* name) { return mLocation.LoadPNG(name); }
