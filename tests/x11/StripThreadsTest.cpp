// The strip's own editor in its X11 window while a host renders on its audio thread, as
// `ostrakon editor --audio` runs it: the user drags a knob and turns the wheel while
// every block posts meters and marks the editor dirty. ThreadSanitizer is the judge.

#include "XServer.h"

#include "tests/au/AUHost.h"

#include "IPlug/IGraphicsX11.h"
#include "editor/EditorGraphicsKind.h"
#include "editor/Ostrakongui.h"

#include <atomic>
#include <memory>
#include <thread>

TEST(X11StripThreads, TheWindowAndTheAudioThreadShareTheStripSafely)
{
  REQUIRE_X_SERVER();
  constexpr UInt32 kFrames = 256;
  SetEditorGraphicsKind(EditorGraphicsKind::X11);
  auto host = std::make_unique<AUHost>();
  SetEditorGraphicsKind(EditorGraphicsKind::Headless);
  InputSource source;
  source.channels = {TestSignal(kFrames, 0), TestSignal(kFrames, 1)};
  ASSERT_EQ(host->Prepare(2, kFrames, 48000.0, &source), noErr);
  auto* g = dynamic_cast<IGraphicsX11*>(host->Plug()->GetGUI());
  ASSERT_TRUE(g);
  ASSERT_TRUE(g->OpenWindow(nullptr));

  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    HostBufferList out(2, kFrames);
    for (double t = 0; !stop.load(std::memory_order_relaxed); t += kFrames)
    {
      EXPECT_EQ(host->Render(out.List(), kFrames, t), noErr);
      blocks.fetch_add(1, std::memory_order_relaxed);
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  });
  // The input gain knob, dragged and wheeled.
  const int x = 78 - IGraphicsX11::kPointerShiftX, y = 54 - IGraphicsX11::kPointerShiftY;
  EXPECT_TRUE(Script()
                  .Do({"mousemove", std::to_string(x), std::to_string(y), "mousedown", "1"})
                  .Do({"mousemove", std::to_string(x), std::to_string(y - 10)})
                  .Do({"mousemove", std::to_string(x), std::to_string(y - 20), "mouseup", "1"})
                  .Do({"click", "4", "click", "4"})
                  .Pause(200)
                  .Run(g, [&] { return blocks.load() > 200; }));
  stop = true;
  audio.join();
  EXPECT_GT(host->Strip()->GetParam(kInputGain)->Value(), 0.0);
  g->CloseWindow();
}
