// The strip's own editor in an X11 window against a real X server: its pixels against
// the editor without a window in the same state, a user's clicks, drags, wheel, double
// clicks and typing through xdotool against the same events given to the twin, and a
// hundred openings and closings.

#include "StripEditorWindow.h"

#include "editor/EditorBitmaps.h"
#include "raster/Png.h"

#include <dirent.h>

#include <cmath>
#include <set>

namespace
{
IMouseMod kLeft(true);

// Descriptors this process holds open.
int OpenFds()
{
  int n = 0;
  if (DIR* dir = opendir("/proc/self/fd"))
  {
    while (readdir(dir)) ++n;
    closedir(dir);
  }
  return n;
}

// Where the input gain knob is grabbed, and the output gain knob's caption, in editor
// pixels.
constexpr int kInKnobX = 78, kInKnobY = 54;
constexpr int kOutCaptionX = 361 + 23, kOutCaptionY = 33 + 46;
} // namespace

TEST(StripEditorWindow, PixelsEqualTheEditorWithoutAWindowInTheSameState)
{
  REQUIRE_X_SERVER();
  StripEditorWindow w;
  ASSERT_TRUE(w.g && w.twin);
  w.Set(kRouting, 2.0);
  w.Set(kDyn2On, 0.0);
  w.Set(kDyn1Type, 1.0);
  w.Set(kInputGain, 6.0);
  w.Set(kHiMidGain, 4.0);
  ASSERT_TRUE(w.Open());
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(w.d, w.EditorWindow(), &a));
  EXPECT_EQ(a.width, kStripW);
  EXPECT_EQ(a.height, kStripH);
  EXPECT_EQ(a.map_state, IsViewable);
  w.Settle();
  const std::vector<uint32_t> screen = w.Screen();
  EXPECT_EQ(w.Mismatches(screen), 0);
  // What the window showed, for a look.
  LICE_MemBitmap shot(kStripW, kStripH);
  for (int y = 0; y < kStripH; ++y)
    for (int x = 0; x < kStripW; ++x)
      raster::PutPixel(&shot, x, y, 0xFF000000u | screen[(size_t) (y * kStripW + x)]);
  raster::WritePNG(&shot, (testing::TempDir() + "strip-editor-window.png").c_str());
}

TEST(StripEditorWindow, PointerAndKeysChangeParametersAsOnTheEditorWithoutAWindow)
{
  REQUIRE_X_SERVER();
  StripEditorWindow w;
  ASSERT_TRUE(w.Open());
  const IRECT phase = *w.gui->Switch(Ostrakongui::kPhase)->GetRECT();

  // A click on the phase switch.
  ASSERT_TRUE(Script().Do(Args({PointerAt(phase.L + 20, phase.T + 5), {"click", "1"}})).Pause(100).Run(w.g));
  EXPECT_EQ(w.Value(kRevPhase), 1.0);

  // A drag up the input gain knob, 10 pixels in two moves.
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(kInKnobX, kInKnobY), {"mousedown", "1"}}))
                  .Do(PointerAt(kInKnobX, kInKnobY - 5))
                  .Do(PointerAt(kInKnobX, kInKnobY - 10))
                  .Do({"mouseup", "1"})
                  .Pause(100)
                  .Run(w.g));
  w.twin->OnMouseDown(kInKnobX, kInKnobY, &kLeft);
  w.twin->OnMouseDrag(kInKnobX, kInKnobY - 5, &kLeft);
  w.twin->OnMouseDrag(kInKnobX, kInKnobY - 10, &kLeft);
  w.twin->OnMouseUp(kInKnobX, kInKnobY - 10, &kLeft);
  // The server may join the two moves into one; the sum is the same, its rounding not.
  EXPECT_NEAR(w.Value(kInputGain), -60.0 + 90.0 * (60.0 / 90.0 + 10.0 / 168.0), 1e-9);
  EXPECT_NEAR(w.Value(kInputGain), w.TwinValue(kInputGain), 1e-9);

  // Two notches of the wheel up, one down, over the same knob.
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(kInKnobX, kInKnobY), {"click", "4", "click", "4", "click", "5"}}))
                  .Pause(100)
                  .Run(w.g));
  for (int d : {1, 1, -1}) w.twin->OnMouseWheel(kInKnobX, kInKnobY, &kLeft, d);
  EXPECT_GT(std::fabs(w.Value(kInputGain) - (-60.0 + 90.0 * (60.0 / 90.0 + 10.0 / 168.0))), 0.1);
  EXPECT_NEAR(w.Value(kInputGain), w.TwinValue(kInputGain), 1e-9);

  // A double click puts it back to its default.
  ASSERT_TRUE(Script().Do(Args({PointerAt(kInKnobX, kInKnobY), {"click", "--repeat", "2", "--delay", "60", "1"}}))
                  .Pause(100)
                  .Run(w.g));
  EXPECT_EQ(w.Value(kInputGain), 0.0);

  // A click on the output gain's caption opens a field over it; a value typed and Return.
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(kOutCaptionX, kOutCaptionY), {"click", "1"}}))
                  .WaitFor([&](Display* d) { return HasMappedChild(d, w.EditorWindow()); })
                  .Do({"key", "--delay", "20", "minus", "7", "period", "5"})
                  .Do({"key", "Return"})
                  .Pause(100)
                  .Run(w.g, [&] { return !w.g->TextEntryOpen(); }));
  EXPECT_EQ(w.Value(kOutputGain), -7.5);

  // The dynamics type selector: the third slice is the opto compressor.
  w.Set(kDyn1On, 1.0);
  w.Pump(60);
  const IRECT type = *w.gui->Dyn(0)->TypeSwitch()->GetRECT();
  const int slice = type.H() / 4;
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(type.L + 30, type.T + 2 * slice + slice / 2), {"click", "1"}}))
                  .Pause(100)
                  .Run(w.g));
  EXPECT_EQ(w.Value(kDyn1Type), 2.0);
}

TEST(StripEditorWindow, OpeningAndClosingAHundredTimesKeepsTheEditorAndLeavesNothingOpen)
{
  REQUIRE_X_SERVER();
  StripEditorWindow w;
  const int controls = w.g->GetNControls();
  ASSERT_EQ(controls, Ostrakongui::kNumControls);
  std::vector<const void*> made;
  for (int i = 0; i < controls; ++i) made.push_back(w.g->GetControl(i));
  ASSERT_TRUE(w.Open());
  w.Settle();
  const std::vector<uint32_t> first = w.Screen();
  w.g->CloseWindow();
  const int fds = OpenFds();

  std::set<unsigned long> windows;
  for (int i = 0; i < 100; ++i)
  {
    ASSERT_NE(w.g->OpenWindow(nullptr), nullptr) << "opening " << i;
    windows.insert((unsigned long) w.EditorWindow());
    w.g->Idle();
    w.g->CloseWindow();
    ASSERT_FALSE(w.g->WindowIsOpen());
  }
  EXPECT_EQ(OpenFds(), fds) << "each opening's connection is closed with its window";
  EXPECT_EQ(w.g->GetNControls(), controls);
  for (int i = 0; i < controls; ++i) EXPECT_EQ(w.g->GetControl(i), made[(size_t) i]) << i;

  // The server holds no window of ours: the root's only children are what others made.
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  ASSERT_TRUE(XQueryTree(w.d, DefaultRootWindow(w.d), &root, &parent, &children, &n));
  for (unsigned int i = 0; i < n; ++i) EXPECT_EQ(windows.count(children[i]), 0u);
  if (children) XFree(children);

  ASSERT_TRUE(w.Open());
  w.Settle();
  EXPECT_EQ(w.Screen(), first);
}


TEST(StripEditorWindow, AtAScaleTheWindowShowsTheScaledEditorAndThePointerFindsItsControls)
{
  REQUIRE_X_SERVER();
  StripEditorWindow w;
  w.Set(kRouting, 1.0);
  w.Set(kInputGain, -12.0);
  w.Set(kDyn1Type, 3.0);
  for (double scale : {1.5, 2.0})
  {
    w.g->SetScale(scale);
    w.twin->SetScale(scale);
    ASSERT_TRUE(w.Open());
    const int width = (int) (kStripW * scale), height = (int) (kStripH * scale);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(w.d, w.EditorWindow(), &a));
    EXPECT_EQ(a.width, width);
    EXPECT_EQ(a.height, height);
    w.Settle();
    const std::vector<uint32_t> screen = w.Screen(width, height);
    EXPECT_EQ(w.Mismatches(screen), 0) << "at " << scale;
    LICE_MemBitmap shot(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        raster::PutPixel(&shot, x, y, 0xFF000000u | screen[(size_t) (y * width + x)]);
    raster::WritePNG(&shot, (testing::TempDir() + "strip-editor-window@" + std::to_string(scale) + ".png").c_str());
    // The background is the artwork drawn at the scale, not the 1x one stretched.
    const std::string file = IGraphics::ScaledName(kMainBackground.name, scale);
    std::unique_ptr<LICE_MemBitmap> art(LICE_LoadPNG((std::string(OSTRAKON_RESOURCE_DIR) + "/" + file).c_str()));
    ASSERT_TRUE(art) << file;
    int differ = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < width; ++x)
        if (screen[(size_t) (y * width + x)] != (raster::GetPixel(art.get(), x, y) & 0xFFFFFF)) ++differ;
    EXPECT_EQ(differ, 0) << "at " << scale;
    w.g->CloseWindow();
  }

  // At twice the size, a click and a drag in window pixels reach the controls in editor
  // pixels: the phase switch, and the input gain knob dragged 10 editor pixels up.
  ASSERT_TRUE(w.Open());
  auto at = [](int x, int y) {
    return std::vector<std::string>{"mousemove", std::to_string(2 * (x - IGraphicsX11::kPointerShiftX)),
                                    std::to_string(2 * (y - IGraphicsX11::kPointerShiftY))};
  };
  const IRECT phase = *w.gui->Switch(Ostrakongui::kPhase)->GetRECT();
  ASSERT_TRUE(Script()
                  .Do(Args({at(phase.L + 20, phase.T + 5), {"click", "1"}}))
                  .Do(Args({at(kInKnobX, kInKnobY), {"mousedown", "1"}}))
                  .Do(at(kInKnobX, kInKnobY - 5))
                  .Do(at(kInKnobX, kInKnobY - 10))
                  .Do({"mouseup", "1"})
                  .Pause(100)
                  .Run(w.g));
  EXPECT_EQ(w.Value(kRevPhase), 1.0);
  EXPECT_NEAR(w.Value(kInputGain), -60.0 + 90.0 * (48.0 / 90.0 + 10.0 / 168.0), 1e-9);
  w.g->CloseWindow();

  // The environment's scale wins over the one set.
  setenv("OSTRAKON_UI_SCALE", "1.5", 1);
  ASSERT_TRUE(w.Open());
  unsetenv("OSTRAKON_UI_SCALE");
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(w.d, w.EditorWindow(), &a));
  EXPECT_EQ(a.width, 690);
  EXPECT_EQ(a.height, 960);
  EXPECT_EQ(w.g->GetScale(), 1.5);
}
