#pragma once
// The strip with its own editor, as a host sets it up, for the editor's tests: parameter
// changes made the way host automation makes them, repaints as the editor's timer makes
// them, mouse and text entry through the headless platform, and the artwork's own
// pixels to compare the screen with.

#include "editor/EditorBitmaps.h"
#include "editor/Ostrakongui.h"
#include "tests/engine/StripHarness.h"

#include "IPlug/IGraphicsHeadless.h"
#include "IPlug/IParam.h"
#include "raster/Draw.h"
#include "raster/Png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

struct EditorRig
{
  StripHarness h;
  Ostrakon* plug;
  IGraphicsHeadless* g;
  Ostrakongui* gui;

  explicit EditorRig(int blockSize = 512)
    : h(blockSize), plug(h.plug.get()), g(dynamic_cast<IGraphicsHeadless*>(plug->GetGUI())),
      gui(plug->GetEditor())
  {
  }

  // A change as host automation makes it: the record, the engine (and the editor's
  // follow-up), then the controls. Unless the audio runs on a thread of its own, the
  // engine takes the change at once, as its next block would.
  void Set(int idx, double value, bool audioThreadTakesIt = false)
  {
    IParam* p = plug->GetParam(idx);
    p->Set(value);
    plug->OnParamChange(idx);
    if (!audioThreadTakesIt) plug->ApplyParamChanges();
    g->SetParameterFromPlug(idx, value, false);
  }
  double Value(int idx) const { return plug->GetParam(idx)->Value(); }

  // One tick of the editor's timer while audio runs: everything repainted.
  void Tick()
  {
    g->SetAllControlsDirty();
    g->RepaintDirty();
  }
  // Ticks until moved knobs have followed and nothing is left dirty.
  void Settle()
  {
    Tick();
    Tick();
    for (int i = 0; i < 4 && g->RepaintDirty(); ++i)
    {
    }
  }

  uint32_t Pixel(int x, int y) const { return raster::GetPixel(g->GetDrawBitmap(), x, y); }

  IControl* Control(int idx) const { return g->GetControl(idx); }
  int Hit(int x, int y) const { return g->GetMouseControlIdx(x, y); }

  // The parameter's value as a fraction of its range, for knob positions.
  double Normalized(int idx) const { return plug->GetParam(idx)->GetNormalized(); }
};

// A bitmap of the artwork as the build drew it, decoded on its own (not through the
// cache), for comparing the screen with.
inline std::unique_ptr<LICE_MemBitmap> Artwork(const EditorBitmap& b)
{
  return std::unique_ptr<LICE_MemBitmap>(LICE_LoadPNG((std::string(OSTRAKON_RESOURCE_DIR) + "/" + b.name).c_str()));
}

// 0xAARRGGBB of a premultiplied pixel, for messages.
inline std::string Hex(uint32_t p)
{
  char buf[16];
  snprintf(buf, sizeof buf, "%08X", p);
  return buf;
}
