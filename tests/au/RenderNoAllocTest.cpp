// The adapter's render call allocates nothing: every allocation in this binary is
// counted while a host renders through the fast-dispatch address and the dispatcher.

#include "AUHost.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/support/CountingAllocator.h"

TEST(AURenderNoAlloc, RenderingAllocatesNothing)
{
  if (!kCountingAllocations) GTEST_SKIP() << "allocations are not counted under the sanitizer";
  AUHost host;
  InputSource source{{TestSignal(4096, 0), TestSignal(4096, 1)}};
  ASSERT_EQ(host.Prepare(2, 512, 48000.0, &source), noErr);
  ASSERT_EQ(host.SetParam(kDyn1Type, 1.0f), noErr);
  ASSERT_EQ(host.SetParam(kOversampling, 1.0f), noErr);
  AudioUnitRenderProc render = nullptr;
  ASSERT_EQ(
      host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &render),
      noErr);
  void* storage = GetComponentInstanceStorage(host.unit);
  HostBufferList out(2, 512), nulls(2, 512, true);
  AudioUnitRenderActionFlags flags = 0;

  const long before = AllocationCount();
  for (int i = 0; i < 8; ++i)
  {
    const AudioTimeStamp ts = Stamp(512.0 * i);
    ASSERT_EQ(render(storage, &flags, &ts, 0, 512, i % 2 ? out.List() : nulls.List()), noErr);
    ASSERT_EQ(AudioUnitRender(host.unit, &flags, &ts, 0, 256, out.List()), noErr);
  }
  EXPECT_EQ(AllocationCount(), before);
}
