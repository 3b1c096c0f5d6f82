// The editor in its X11 window while the audio thread feeds it values, as the engine
// feeds its meters, and a user works a knob: ThreadSanitizer is the judge, and the last
// value posted is what the window shows.

#include "StockEditor.h"

#include <atomic>
#include <thread>

TEST(X11Threads, TheAudioThreadsCallsRaceWithNothingTheWindowDoes)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  int modeIdx = -1;
  for (int i = 0; i < rig.g->GetNControls(); ++i)
    if (rig.g->GetControl(i) == rig.editor.mode) modeIdx = i;
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    for (int i = 0; !stop.load(std::memory_order_relaxed); ++i)
    {
      if (IGraphics* g = rig.plug.GetGUI())
      {
        g->SetControlFromPlug(modeIdx, i % 3 * 0.5);
        g->SetAllControlsDirty();
      }
      blocks.fetch_add(1, std::memory_order_relaxed);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  const int kx = StockEditor::kKnobX + 20, ky = StockEditor::kKnobY + 30;
  EXPECT_TRUE(Script()
                  .Do(Args({PointerAt(kx, ky), {"mousedown", "1"}}))
                  .Do(PointerAt(kx, ky - 20))
                  .Do(PointerAt(kx, ky - 10))
                  .Do({"mouseup", "1", "click", "4", "click", "5"})
                  .Pause(200)
                  .Run(rig.g, [&] { return blocks.load() > 100; }));
  stop = true;
  audio.join();
  rig.g->SetControlFromPlug(modeIdx, 1.0);
  rig.Pump(100);
  EXPECT_EQ(rig.Screen()[(size_t) ((StockEditor::kModeY + 5) * kEditorW + StockEditor::kModeX + 5)], 0x60F060u);
  // 20 pixels up and 10 down at gearing 4, a notch up and one down.
  EXPECT_NEAR(rig.editor.knob->GetValue(), 0.5 + 10.0 / 42 / 4, 1e-12);
}
