// Threads and the editor, with ThreadSanitizer the judge: the audio thread's calls -
// meter values, every control marked dirty - race with nothing the GUI thread does, and
// editors drawing on threads of their own share the bitmap and font caches safely.

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

TEST(EditorThreads, EditorsOnTwoThreadsShareTheCaches)
{
  ScratchDir dir;
  auto art = Filmstrip(8, 8, {0xFF102030, 0xFF405060});
  ASSERT_TRUE(raster::WritePNG(art.get(), dir.File("shared.png").c_str()));
  raster::Bitmap* seen[2] = {};
  auto editor = [&](int which) {
    GuiRig rig(64, 32);
    rig.g->SetResourceFolder(dir.Path().c_str());
    for (int round = 0; round < 20; ++round)
    {
      IBitmap b = rig.g->LoadIBitmap(4001, "shared.png", 2);
      seen[which] = b.mData;
      IText style(11 + round % 3, &COLOR_WHITE);
      rig.Add(new PaintControl(&rig.plug, IRECT(0, 0, 64, 32), [b, style](IGraphics* g, IControl* c) mutable {
        g->FillIRect(&COLOR_BLACK, c->GetRECT());
        IRECT r(0, 0, 8, 8), t(10, 0, 64, 20);
        IChannelBlend opaque(IChannelBlend::kBlendOpaque);
        return g->DrawBitmap(&b, &r, 2, &opaque) && g->DrawIText(&style, "0.0 dB", &t);
      }));
      rig.RepaintAll();
      EXPECT_EQ(rig.Pixel(3, 3), 0xFF405060u);
    }
  };
  std::thread a(editor, 0), b(editor, 1);
  a.join();
  b.join();
  // Two threads loading one id at once may both decode it; either way both drew it.
  EXPECT_NE(seen[0], nullptr);
  EXPECT_NE(seen[1], nullptr);
}
