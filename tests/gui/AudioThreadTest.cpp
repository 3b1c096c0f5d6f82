// The audio thread's calls into the editor - meter values, every control marked dirty -
// race with nothing the GUI thread does meanwhile; ThreadSanitizer is the judge.

#include "MeterEditor.h"

#include <atomic>
#include <chrono>
#include <thread>

TEST(AudioThreadCalls, RaceWithNothingTheEditorDoes)
{
  MeterEditor e;
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
