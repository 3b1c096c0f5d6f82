// The audio thread's calls into the editor allocate nothing. Alone in its binary: it
// replaces the allocator to count.

#include "MeterEditor.h"

#include "tests/support/CountingAllocator.h"

TEST(AudioThreadCalls, AllocateNothing)
{
  if (!kCountingAllocations) GTEST_SKIP() << "the sanitizer's allocator is not counted";
  MeterEditor e;
  IGraphics* g = e.rig.plug.GetGUI();
  for (int m : e.meters) g->SetControlFromPlug(m, 0.1); // first values, before counting
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
