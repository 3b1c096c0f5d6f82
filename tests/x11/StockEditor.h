#pragma once
// A 460 x 640 editor of stock controls that any graphics context can hold, and a rig
// that opens it in an X11 window inside a parent window of the test's own (as a host
// embeds it) at the screen's origin. The bitmaps are PNG files in a resources folder
// written once for the program; the plug-in has one parameter of each kind.

#include "tests/gui/GuiTestSupport.h"
#include "XServer.h"

#include "IPlug/IGraphicsX11.h"
#include "IPlug/controls/ICaptionControl.h"
#include "IPlug/controls/IFaderControl.h"
#include "IPlug/controls/IKnobMultiControl.h"
#include "IPlug/controls/ISwitchControl.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

constexpr int kEditorW = 460, kEditorH = 640;

// The bitmaps, written on first use.
inline const std::string& StockResources()
{
  static ScratchDir dir;
  static const bool written = [] {
    auto write = [](const std::unique_ptr<LICE_MemBitmap>& b, const char* name) {
      raster::WritePNG(b.get(), dir.File(name).c_str());
    };
    auto bg = std::make_unique<LICE_MemBitmap>(kEditorW, kEditorH);
    for (int y = 0; y < kEditorH; ++y)
      for (int x = 0; x < kEditorW; ++x)
        raster::PutPixel(bg.get(), x, y, 0xFF000000u | (uint32_t) ((x * 255 / kEditorW) << 16) |
                                             (uint32_t) ((y * 255 / kEditorH) << 8) | 0x40u);
    write(bg, "stock_bg.png");
    write(Filmstrip(40, 20, {0xFF401010, 0xFFF04040}), "stock_switch.png");
    std::vector<uint32_t> knob;
    for (int i = 0; i < 16; ++i) knob.push_back(0xFF000000u | (uint32_t) (i * 16) << 8 | 0xC0u);
    write(Filmstrip(42, 42, knob), "stock_knob.png");
    write(SolidBitmap(20, 10, 0xFFE0E0E0), "stock_handle.png");
    write(Filmstrip(40, 20, {0xFF103010, 0xFF30A030, 0xFF60F060}), "stock_mode.png");
    return true;
  }();
  (void) written;
  return dir.Path();
}

struct StockEditor
{
  // Where things are, in editor pixels.
  static constexpr int kSwitchX = 20, kSwitchY = 20;
  static constexpr int kKnobX = 100, kKnobY = 20; // 42 x 42
  static constexpr int kFaderX = 200, kFaderY = 20, kFaderLen = 100;
  static constexpr int kModeX = 300, kModeY = 20; // 40 x 20, three frames
  static IRECT CaptionRect() { return IRECT(100, 80, 160, 96); }
  static IRECT ProbeRect() { return IRECT(20, 300, 220, 400); }

  ISwitchControl* onSwitch = nullptr;
  IKnobMultiControl* knob = nullptr;
  IFaderControl* fader = nullptr;
  ICaptionControl* caption = nullptr;
  ISwitchControl* mode = nullptr;
  ProbeControl* probe = nullptr;

  void Build(IGraphics* g, IPlugBase* plug)
  {
    g->AttachBackground(1, "stock_bg.png");
    IBitmap sw = g->LoadIBitmap(2, "stock_switch.png", 2);
    onSwitch = new ISwitchControl(plug, kSwitchX, kSwitchY, kOn, &sw);
    g->AttachControl(onSwitch);
    IBitmap kb = g->LoadIBitmap(3, "stock_knob.png", 16);
    knob = new IKnobMultiControl(plug, kKnobX, kKnobY, kGain, &kb);
    knob->DisablePrompt(false); // value entry on a right click
    g->AttachControl(knob);
    IBitmap handle = g->LoadIBitmap(4, "stock_handle.png");
    fader = new IFaderControl(plug, kFaderX, kFaderY, kFaderLen, kFreq, &handle);
    g->AttachControl(fader);
    IText text(12, &COLOR_WHITE);
    IRECT r = CaptionRect();
    caption = new ICaptionControl(plug, &r, kGain, &text, true);
    g->AttachControl(caption);
    IBitmap md = g->LoadIBitmap(5, "stock_mode.png", 3);
    mode = new ISwitchControl(plug, kModeX, kModeY, kMode, &md);
    mode->DisablePrompt(false); // its list on a right click
    g->AttachControl(mode);
    probe = new ProbeControl(plug, ProbeRect(), -1, COLOR_GRAY);
    probe->takesKeys = true;
    g->AttachControl(probe);
  }
};

// The plug-in with the stock editor in an X11 window, and the test's own connection.
struct X11Rig
{
  Display* d = nullptr;
  Window parent = 0;
  GuiTestPlug plug;
  IGraphicsX11* g = nullptr;
  StockEditor editor;

  // With open, the editor opens as a child of a mapped parent window at the origin of
  // the screen.
  explicit X11Rig(bool open = true, int screen = 0)
  {
    d = XOpenDisplay(XServer::DisplayName().c_str());
    // Key presses go to the window under the pointer, whatever an earlier test did.
    if (d) XSetInputFocus(d, PointerRoot, RevertToPointerRoot, CurrentTime);
    g = new IGraphicsX11(&plug, kEditorW, kEditorH);
    g->SetResourceFolder(StockResources().c_str());
    editor.Build(g, &plug);
    plug.AttachGraphics(g);
    if (!d || !open) return;
    parent = XCreateSimpleWindow(d, RootWindow(d, screen), 0, 0, kEditorW, kEditorH, 0, 0, 0);
    XSelectInput(d, parent, KeyPressMask | KeyReleaseMask | SubstructureNotifyMask);
    XMapWindow(d, parent);
    XSync(d, False);
    Open();
  }
  ~X11Rig()
  {
    if (g) g->CloseWindow();
    if (d)
    {
      if (parent) XDestroyWindow(d, parent);
      XCloseDisplay(d);
    }
  }

  Window Open()
  {
    const Window w = (Window) (uintptr_t) g->OpenWindow((void*) (uintptr_t) parent);
    Pump(50);
    return w;
  }
  Window EditorWindow() { return (Window) (uintptr_t) g->GetWindow(); }

  // Drives the editor for a while, as a host's idle calls do.
  void Pump(int ms)
  {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do
    {
      g->Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
    if (d) XSync(d, False);
  }

  // The window's pixels as 0x00RRGGBB, row by row; empty when they cannot be read.
  std::vector<uint32_t> Screen()
  {
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(d, EditorWindow(), 0, 0, kEditorW, kEditorH, AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int y = 0; y < kEditorH; ++y)
      for (int x = 0; x < kEditorW; ++x) pixels.push_back((uint32_t) XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
  }

  double Normalized(int param) { return plug.GetParam(param)->GetNormalized(); }
};
