#pragma once
// The strip with its own editor in a top-level X11 window at the screen's origin (no
// window manager runs), beside a twin strip whose editor has no window: the same
// settings and the same events given to both must give the same pixels and values.

#include "XServer.h"

#include "tests/engine/StripHarness.h"

#include "IPlug/IGraphicsHeadless.h"
#include "editor/EditorGraphicsKind.h"
#include "editor/EditorGraphicsX11.h"
#include "editor/Ostrakongui.h"
#include "raster/Draw.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <memory>
#include <thread>

constexpr int kStripW = Ostrakongui::kWidth, kStripH = Ostrakongui::kHeight;

inline std::unique_ptr<StripHarness> MakeStrip(EditorGraphicsKind kind)
{
  SetEditorGraphicsKind(kind);
  auto strip = std::make_unique<StripHarness>();
  SetEditorGraphicsKind(EditorGraphicsKind::Headless);
  return strip;
}

struct StripEditorWindow
{
  std::unique_ptr<StripHarness> strip = MakeStrip(EditorGraphicsKind::X11);
  std::unique_ptr<StripHarness> twinStrip = MakeStrip(EditorGraphicsKind::Headless);
  EditorGraphicsX11* g = dynamic_cast<EditorGraphicsX11*>(strip->plug->GetGUI());
  IGraphicsHeadless* twin = dynamic_cast<IGraphicsHeadless*>(twinStrip->plug->GetGUI());
  Ostrakongui* gui = strip->plug->GetEditor();
  Display* d = XOpenDisplay(XServer::DisplayName().c_str());

  StripEditorWindow()
  {
    // Key presses go to the window under the pointer, whatever an earlier test did.
    if (d) XSetInputFocus(d, PointerRoot, RevertToPointerRoot, CurrentTime);
  }
  ~StripEditorWindow()
  {
    if (g) g->CloseWindow();
    if (d) XCloseDisplay(d);
  }

  bool Open()
  {
    if (!g || !g->OpenWindow(nullptr)) return false;
    Pump(60);
    return true;
  }
  Window EditorWindow() { return (Window) (uintptr_t) g->GetWindow(); }

  // A change as host automation makes it, to both strips.
  void Set(int idx, double value)
  {
    for (StripHarness* s : {strip.get(), twinStrip.get()})
    {
      s->Set(idx, value);
      s->plug->GetGUI()->SetParameterFromPlug(idx, value, false);
    }
  }
  double Value(int idx) const { return strip->plug->GetParam(idx)->Value(); }
  double TwinValue(int idx) const { return twinStrip->plug->GetParam(idx)->Value(); }

  // Drives the window for a while, as its own loop does.
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

  // Both editors repainted as under running audio until everything has settled: two
  // whole repaints (moved knobs' parts go to their places, then are drawn there), then
  // what is left dirty, as `ostrakon snapshot` does.
  void Settle()
  {
    for (int i = 0; i < 2; ++i)
    {
      g->SetAllControlsDirty();
      Pump(3 * 1000 / g->FPS());
      twin->SetAllControlsDirty();
      twin->RepaintDirty();
    }
    for (int i = 0; i < 4 && twin->RepaintDirty(); ++i)
    {
    }
    Pump(3 * 1000 / g->FPS());
  }

  // The window's pixels as 0x00RRGGBB, row by row; empty when they cannot be read.
  std::vector<uint32_t> Screen(int w = kStripW, int h = kStripH)
  {
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(d, EditorWindow(), 0, 0, (unsigned) w, (unsigned) h, AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels.push_back((uint32_t) XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
  }

  // Pixels of the screen that differ from the twin's bitmap (of the same size).
  int Mismatches(const std::vector<uint32_t>& screen)
  {
    const raster::Bitmap* b = twin->GetDrawBitmap();
    const int width = b->Width(), height = b->Height();
    if (screen.size() != (size_t) width * height) return -1;
    int bad = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (screen[(size_t) (y * width + x)] != (raster::GetPixel(b, x, y) & 0xFFFFFF)) ++bad;
    return bad;
  }
};
