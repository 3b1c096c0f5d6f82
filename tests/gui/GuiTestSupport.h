#pragma once
// What the GUI framework's tests share: a plug-in with one parameter of each kind that
// records the calls the editor makes on it, bitmaps made in memory, a scratch folder
// for PNG files, and a headless editor attached to the plug-in.

#include "IPlug/IControl.h"
#include "IPlug/IGraphicsHeadless.h"
#include "IPlug/IPlugBase.h"
#include "raster/Bitmap.h"
#include "raster/Draw.h"
#include "raster/Png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum EGuiParams
{
  kGain = 0, // double -24..24 dB, step 0.1
  kFreq,     // double 20..20000 Hz, shape 2
  kCount,    // int 0..3
  kMode,     // enum "Soft", "Hard", "Auto"
  kOn,       // bool "off"/"on"
  kNumGuiParams
};

class GuiTestPlug : public IPlugBase
{
public:
  GuiTestPlug()
    : IPlugBase(kNumGuiParams, "2-2", 0, "Gui", "Gui Product", "Maker", 0x10000, 0x47756921, 0x4d616b72, 0,
                false, false, false)
  {
    GetParam(kGain)->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1, "dB");
    GetParam(kFreq)->InitDouble("Freq", 1000.0, 20.0, 20000.0, 1.0, "Hz");
    GetParam(kFreq)->SetShape(2.0);
    GetParam(kCount)->InitInt("Count", 1, 0, 3, "");
    GetParam(kMode)->InitEnum("Mode", 0, 3);
    GetParam(kMode)->SetDisplayText(0, "Soft");
    GetParam(kMode)->SetDisplayText(1, "Hard");
    GetParam(kMode)->SetDisplayText(2, "Auto");
    GetParam(kOn)->InitBool("On", true, "");
  }

  void OnParamChange(int idx) override { events.push_back("change " + std::to_string(idx)); }
  void BeginInformHostOfParamChange(int idx) override { events.push_back("begin " + std::to_string(idx)); }
  void InformHostOfParamChange(int idx, double v) override
  {
    events.push_back("inform " + std::to_string(idx));
    informed.push_back(v);
  }
  void EndInformHostOfParamChange(int idx) override { events.push_back("end " + std::to_string(idx)); }
  void ResizeGraphics(int w, int h) override
  {
    events.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
  }

  std::vector<std::string> events;
  std::vector<double> informed;
};

// A control that draws a solid rectangle and counts its calls.
struct ProbeControl : IControl
{
  ProbeControl(IPlugBase* plug, IRECT r, int paramIdx = -1, IColor color = COLOR_BLACK)
    : IControl(plug, &r, paramIdx), color(color)
  {
  }
  bool Draw(IGraphics* g) override
  {
    ++draws;
    return g->FillIRect(&color, &mRECT, &mBlend);
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override
  {
    log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod*) override
  {
    log.push_back("drag " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(dX) + "," +
                  std::to_string(dY));
  }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override
  {
    log.push_back("dbl");
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override
  {
    log.push_back("wheel " + std::to_string(d));
    IControl::OnMouseWheel(x, y, mod, d);
  }
  bool OnKeyDown(int, int, int key) override
  {
    log.push_back("key " + std::to_string(key));
    return takesKeys;
  }
  void OnMouseOver(int, int, IMouseMod*) override { log.push_back("over"); }
  void OnMouseOut() override { log.push_back("out"); }
  void TextFromTextEntry(const char* txt) override { log.push_back(std::string("text ") + txt); }
  void OnGUIIdle() override { log.push_back("idle"); }

  IColor color;
  int draws = 0;
  bool takesKeys = false;
  std::vector<std::string> log;
};

// A control that draws with whatever the test gives it.
struct PaintControl : IControl
{
  PaintControl(IPlugBase* plug, IRECT r, std::function<bool(IGraphics*, IControl*)> paint)
    : IControl(plug, &r), paint(std::move(paint))
  {
  }
  bool Draw(IGraphics* g) override { return paint(g, this); }
  std::function<bool(IGraphics*, IControl*)> paint;
};

// The plug-in with a headless editor of the given size attached (and owned by it).
struct GuiRig
{
  GuiTestPlug plug;
  IGraphicsHeadless* g;

  explicit GuiRig(int w = 100, int h = 80, bool attach = true) : g(new IGraphicsHeadless(&plug, w, h))
  {
    if (attach)
      plug.AttachGraphics(g);
    else
      owned.reset(g);
  }
  void Attach()
  {
    owned.release();
    plug.AttachGraphics(g);
  }
  template <class C>
  C* Add(C* c)
  {
    g->AttachControl(c);
    return c;
  }
  // Draws everything, as a first repaint of the whole editor does.
  void RepaintAll()
  {
    IRECT all(0, 0, g->Width(), g->Height());
    g->SetAllControlsDirty();
    g->Draw(&all);
  }
  uint32_t Pixel(int x, int y) { return g->GetPoint(x, y).Packed(); }

private:
  std::unique_ptr<IGraphicsHeadless> owned;
};

// A bitmap of one colour (0xAARRGGBB, straight alpha).
inline std::unique_ptr<LICE_MemBitmap> SolidBitmap(int w, int h, uint32_t argb)
{
  auto b = std::make_unique<LICE_MemBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) raster::PutPixel(b.get(), x, y, argb);
  return b;
}

// A filmstrip of n frames of w x frameH, frame i (from 1) filled with colors[i - 1].
inline std::unique_ptr<LICE_MemBitmap> Filmstrip(int w, int frameH, const std::vector<uint32_t>& colors)
{
  const int n = (int) colors.size();
  auto b = std::make_unique<LICE_MemBitmap>(w, frameH * n);
  for (int f = 0; f < n; ++f)
    for (int y = 0; y < frameH; ++y)
      for (int x = 0; x < w; ++x) raster::PutPixel(b.get(), x, f * frameH + y, colors[f]);
  return b;
}

inline IBitmap Wrap(raster::Bitmap* b, int nFrames = 1)
{
  return IBitmap(b, b->Width(), b->Height(), nFrames);
}

// A folder of its own for the test's files, removed afterwards.
class ScratchDir
{
public:
  ScratchDir()
  {
    std::string templ = testing::TempDir() + "ostrakon-gui-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back(0);
    if (mkdtemp(buf.data())) mPath = buf.data();
  }
  ~ScratchDir()
  {
    std::error_code ec;
    if (!mPath.empty()) std::filesystem::remove_all(mPath, ec);
  }
  const std::string& Path() const { return mPath; }
  std::string File(const std::string& name) const { return mPath + "/" + name; }

private:
  std::string mPath;
};
