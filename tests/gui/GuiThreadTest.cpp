// What the audio thread may do to the editor - post meter values, mark every control
// dirty - allocates nothing and races with nothing the GUI thread does meanwhile
// (ThreadSanitizer is the judge of the second).

#include "GuiTestSupport.h"

#include "IPlug/controls/IBitmapControl.h"
#include "IPlug/controls/ICaptionControl.h"
#include "IPlug/controls/IFaderControl.h"
#include "IPlug/controls/IKnobMultiControl.h"
#include "IPlug/controls/ISwitchControl.h"
#include "tests/support/CountingAllocator.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
struct Editor
{
  GuiRig rig{120, 80};
  std::unique_ptr<LICE_MemBitmap> strip = Filmstrip(10, 10, {0xFF101010, 0xFF202020, 0xFF303030, 0xFF404040});
  IBitmap b = Wrap(strip.get(), 4);
  std::vector<int> meters;

  Editor()
  {
    rig.Add(new IBitmapControl(&rig.plug, 0, 0, &b));
    for (int i = 0; i < 8; ++i) meters.push_back(rig.g->AttachControl(new IBitmapControl(&rig.plug, 10 * i, 20, &b)));
    rig.Add(new IKnobMultiControl(&rig.plug, 0, 40, kGain, &b));
    rig.Add(new ISwitchControl(&rig.plug, 20, 40, kMode, &b));
    rig.Add(new IFaderControl(&rig.plug, 40, 40, 30, kFreq, &b));
    IRECT r(60, 40, 110, 52);
    IText t(10);
    rig.Add(new ICaptionControl(&rig.plug, &r, kGain, &t));
    rig.RepaintAll();
  }
};
} // namespace

TEST(AudioThreadCalls, AllocateNothing)
{
  if (!kCountingAllocations) GTEST_SKIP() << "the sanitizer's allocator is not counted";
  Editor e;
  IGraphics* g = e.rig.plug.GetGUI();
  for (int m : e.meters) g->SetControlFromPlug(m, 0.1); // first values, out of the timed part
  const long before = AllocationCount();
  for (int block = 0; block < 100; ++block)
  {
    for (int m : e.meters) g->SetControlFromPlug(m, (block % 10) * 0.1);
    g->SetControlFromPlug(-1, 0.5);
    g->SetControlFromPlug(1 << 20, 0.5);
    g->SetAllControlsDirty();
  }
  EXPECT_EQ(AllocationCount(), before);
}

TEST(AudioThreadCalls, RaceWithNothingTheEditorDoes)
{
  Editor e;
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    double v = 0.0;
    while (!stop.load(std::memory_order_relaxed))
    {
      if (IGraphics* g = e.rig.plug.GetGUI())
      {
        for (int m : e.meters) g->SetControlFromPlug(m, v);
        g->SetAllControlsDirty();
      }
      v = v > 1.0 ? 0.0 : v + 0.013;
      blocks.fetch_add(1, std::memory_order_relaxed);
      std::this_thread::yield();
    }
  });
  IMouseMod left(true);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  int ticks = 0;
  while (std::chrono::steady_clock::now() < end || blocks.load() < 100)
  {
    e.rig.g->RepaintDirty();
    e.rig.g->OnMouseDown(5, 45, &left); // the knob, with a parameter
    e.rig.g->OnMouseDrag(5, 40 - ticks % 7, &left);
    e.rig.g->OnMouseUp(5, 40, &left);
    e.rig.g->OnMouseWheel(25, 45, &left, 1);
    ++ticks;
  }
  stop = true;
  audio.join();
  EXPECT_GT(ticks, 0);
  // The meters hold the last posted value once the audio thread stops.
  e.rig.g->SetControlFromPlug(e.meters[0], 0.5);
  EXPECT_EQ(e.rig.g->GetControl(e.meters[0])->GetValue(), 0.5);
}
