// The strip's editor on several threads: the audio thread posts meter values and dirties
// every control while the interface thread changes parameters and repaints. Built on its
// own under ThreadSanitizer as well, which judges it.

#include "EditorRig.h"

#include <atomic>
#include <thread>

TEST(StripEditorThreads, TheAudioThreadPostsWhileTheEditorRepaints)
{
  EditorRig r(256);
  std::vector<double> l(256), rr(256), ol, orr;
  for (int i = 0; i < 256; ++i) l[i] = rr[i] = 0.8 * std::sin(0.1 * i);
  r.Settle();
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int i = 0; i < 400; ++i) r.h.Run(l, rr, ol, orr, 256);
    done = true;
  });
  int repaints = 0;
  while (!done.load() || repaints < 10)
  {
    // Now and then a stage off and on, another routing: greying and moving controls.
    if (repaints % 7 == 3) r.Set(kEqOn, repaints % 2, true);
    if (repaints % 11 == 5) r.Set(kRouting, repaints % 3, true);
    if (repaints % 13 == 1) r.Set(kDyn2Type, repaints % 4, true);
    r.g->RepaintDirty();
    ++repaints;
  }
  audio.join();
  r.Tick();
  EXPECT_GT(r.gui->Meter(0)->GetLevel(), 0.5);
}
