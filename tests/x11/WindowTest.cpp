// The editor's X11 window against a real X server: where it opens and at what size, its
// pixels against the headless editor's, repainting only what changed at the frame rate,
// closing from the window manager or with the host's window, and opening and closing
// many times.

#include "StockEditor.h"

#include <X11/Xatom.h>

#include <atomic>
#include <thread>

namespace
{
// A control that is always dirty and counts its draws: one per repaint.
struct FrameCounter : IControl
{
  explicit FrameCounter(IPlugBase* plug) : IControl(plug, &kRect) {}
  bool Draw(IGraphics*) override
  {
    ++draws;
    return true;
  }
  bool IsDirty() override { return true; }
  std::atomic<int> draws{0};
  static IRECT kRect;
};
IRECT FrameCounter::kRect(440, 620, 450, 630);

int Mismatches(const std::vector<uint32_t>& screen, IGraphics* reference)
{
  int bad = 0;
  for (int y = 0; y < kEditorH; ++y)
    for (int x = 0; x < kEditorW; ++x)
      if (screen[(size_t) (y * kEditorW + x)] != (reference->GetPoint(x, y).Packed() & 0xFFFFFF)) ++bad;
  return bad;
}
} // namespace

TEST(X11Window, OpensAsAChildOfTheGivenWindowAtTheEditorsSize)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  ASSERT_TRUE(rig.g->WindowIsOpen());
  const Window w = rig.EditorWindow();
  ASSERT_NE(w, 0u);
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(rig.d, w, &a));
  EXPECT_EQ(a.width, kEditorW);
  EXPECT_EQ(a.height, kEditorH);
  EXPECT_EQ(a.map_state, IsViewable);
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  ASSERT_TRUE(XQueryTree(rig.d, w, &root, &parent, &children, &n));
  if (children) XFree(children);
  EXPECT_EQ(parent, rig.parent);
  EXPECT_STREQ(rig.g->GetGUIAPI(), "X11 gui");
  EXPECT_EQ(rig.g->OpenWindow(nullptr, nullptr), nullptr); // no other kind of parent

  // A parent that does not exist: no window, and the process goes on.
  EXPECT_EQ(rig.g->OpenWindow((void*) (uintptr_t) 0x1fffffe), nullptr);
  EXPECT_FALSE(rig.g->WindowIsOpen());
  EXPECT_EQ(rig.g->GetWindow(), nullptr);
  EXPECT_FALSE(rig.g->Idle());
}

TEST(X11Window, PixelsEqualTheHeadlessEditorsInTheSameState)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  GuiTestPlug twinPlug;
  auto* twin = new IGraphicsHeadless(&twinPlug, kEditorW, kEditorH);
  twin->SetResourceFolder(StockResources().c_str());
  StockEditor twinEditor;
  twinEditor.Build(twin, &twinPlug);
  twinPlug.AttachGraphics(twin);
  for (auto* p : {&rig.plug, &twinPlug})
  {
    p->GetParam(kGain)->Set(7.5);
    p->GetParam(kOn)->Set(0.0);
    p->GetParam(kMode)->Set(2.0);
    p->GetParam(kFreq)->Set(440.0);
    p->RedrawParamControls();
  }
  twin->SetAllControlsDirty();
  IRECT all(0, 0, kEditorW, kEditorH);
  twin->Draw(&all);
  rig.Pump(100); // a few frames: the changed controls are repainted

  const std::vector<uint32_t> screen = rig.Screen();
  ASSERT_EQ(screen.size(), (size_t) (kEditorW * kEditorH));
  EXPECT_EQ(Mismatches(screen, twin), 0);
  // Not trivially: the knob shows frame 11 of 16 (7.5 dB), the list its third frame.
  EXPECT_EQ(screen[(size_t) ((StockEditor::kKnobY + 20) * kEditorW + StockEditor::kKnobX + 20)], 0x00A0C0u);
  EXPECT_EQ(screen[(size_t) ((StockEditor::kModeY + 5) * kEditorW + StockEditor::kModeX + 5)], 0x60F060u);
}

TEST(X11Window, OnASixteenBitScreenEveryPixelIsConverted)
{
  REQUIRE_X_SERVER();
  X11Rig rig(true, 1);
  GuiTestPlug twinPlug;
  auto* twin = new IGraphicsHeadless(&twinPlug, kEditorW, kEditorH);
  twin->SetResourceFolder(StockResources().c_str());
  StockEditor twinEditor;
  twinEditor.Build(twin, &twinPlug);
  twinPlug.AttachGraphics(twin);
  IRECT all(0, 0, kEditorW, kEditorH);
  twin->Draw(&all);

  XImage* image = XGetImage(rig.d, rig.EditorWindow(), 0, 0, kEditorW, kEditorH, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->depth, 16);
  int bad = 0;
  for (int y = 0; y < kEditorH; ++y)
    for (int x = 0; x < kEditorW; ++x)
    {
      const uint32_t p = twin->GetPoint(x, y).Packed();
      const unsigned long rgb565 = ((p >> 19) & 31) << 11 | ((p >> 10) & 63) << 5 | ((p >> 3) & 31);
      if (XGetPixel(image, x, y) != rgb565) ++bad;
    }
  XDestroyImage(image);
  EXPECT_EQ(bad, 0);
}

TEST(X11Window, RepaintsOnlyTheDirtyAreaAtTheFrameRate)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  const int probeDraws = rig.editor.probe->draws;
  EXPECT_EQ(probeDraws, 1); // drawn once when the window opened
  // From the audio thread, as the engine feeds meters: the list control's value.
  int modeIdx = -1;
  for (int i = 0; i < rig.g->GetNControls(); ++i)
    if (rig.g->GetControl(i) == rig.editor.mode) modeIdx = i;
  rig.g->SetControlFromPlug(modeIdx, 0.5);
  rig.Pump(100);
  EXPECT_EQ(rig.editor.probe->draws, probeDraws); // far from the change: left alone
  const std::vector<uint32_t> screen = rig.Screen();
  EXPECT_EQ(screen[(size_t) ((StockEditor::kModeY + 5) * kEditorW + StockEditor::kModeX + 5)], 0x30A030u);

  // Run: the editor's own loop, until told to stop.
  auto* counter = new FrameCounter(&rig.plug);
  rig.g->AttachControl(counter);
  std::atomic<bool> stop{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    stop = true;
  });

  const auto start = std::chrono::steady_clock::now();
  rig.g->Run(&stop);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  stopper.join();
  EXPECT_LT(seconds, 1.5);
  EXPECT_TRUE(rig.g->WindowIsOpen());
  // 25 frames a second: never more, and not far fewer on a busy machine.
  EXPECT_LE(counter->draws, (int) (25 * seconds) + 2);
  EXPECT_GE(counter->draws, 10);
}

TEST(X11Window, OpeningAndClosingAHundredTimesKeepsControlsAndBitmaps)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  const int nControls = rig.g->GetNControls();
  const IBitmap before = rig.g->LoadIBitmap(3, "stock_knob.png", 16);
  for (int i = 0; i < 100; ++i)
  {
    rig.g->CloseWindow();
    ASSERT_FALSE(rig.g->WindowIsOpen());
    ASSERT_EQ(rig.g->GetWindow(), nullptr);
    ASSERT_NE(rig.g->OpenWindow((void*) (uintptr_t) rig.parent), nullptr) << "opening " << i;
    rig.g->Idle();
  }
  EXPECT_EQ(rig.g->GetNControls(), nControls);
  for (int i = 0; i < nControls; ++i) EXPECT_NE(rig.g->GetControl(i), nullptr);
  EXPECT_EQ(rig.g->LoadIBitmap(3, "stock_knob.png", 16).mData, before.mData);
  rig.Pump(60);
  const std::vector<uint32_t> screen = rig.Screen();
  ASSERT_FALSE(screen.empty());
  EXPECT_EQ(screen[(size_t) ((StockEditor::kSwitchY + 5) * kEditorW + StockEditor::kSwitchX + 5)], 0xF04040u);
}

TEST(X11Window, TheHostDestroyingTheParentFirstClosesTheEditorQuietly)
{
  REQUIRE_X_SERVER();
  {
    X11Rig rig;
    XDestroyWindow(rig.d, rig.parent);
    rig.parent = 0;
    XSync(rig.d, False);
    bool open = true;
    for (int i = 0; i < 500 && open; ++i)
    {
      open = rig.g->Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_FALSE(open);
    EXPECT_FALSE(rig.g->WindowIsOpen());
  }
  {
    // Closed before it heard of it: it destroys a window that is gone.
    X11Rig rig;
    XDestroyWindow(rig.d, rig.parent);
    rig.parent = 0;
    XSync(rig.d, False);
    rig.g->CloseWindow();
    EXPECT_FALSE(rig.g->WindowIsOpen());
    EXPECT_NE(rig.g->OpenWindow(nullptr), nullptr); // and it opens again
  }
}

TEST(X11Window, ATopLevelWindowHasItsTitleAndFixedSizeAndClosesFromTheWindowManager)
{
  REQUIRE_X_SERVER();
  X11Rig rig(false);
  rig.g->SetWindowTitle("Stock editor");
  const Window w = (Window) (uintptr_t) rig.g->OpenWindow(nullptr);
  ASSERT_NE(w, 0u);
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  ASSERT_TRUE(XQueryTree(rig.d, w, &root, &parent, &children, &n));
  if (children) XFree(children);
  EXPECT_EQ(parent, DefaultRootWindow(rig.d));
  char* name = nullptr;
  ASSERT_TRUE(XFetchName(rig.d, w, &name));
  EXPECT_STREQ(name, "Stock editor");
  XFree(name);
  XSizeHints hints;
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(rig.d, w, &hints, &supplied));
  EXPECT_EQ(hints.min_width, kEditorW);
  EXPECT_EQ(hints.max_height, kEditorH);

  // The close button: WM_DELETE_WINDOW. Run ends with the window.
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(rig.d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long) XInternAtom(rig.d, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(rig.d, w, False, NoEventMask, &e);
  XSync(rig.d, False);
  std::atomic<bool> never{false};
  const auto start = std::chrono::steady_clock::now();
  rig.g->Run(&never);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_FALSE(rig.g->WindowIsOpen());
}
