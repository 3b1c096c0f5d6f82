// The audio path must not allocate or lock: every allocation in this binary is counted.

#include "engine/Ostrakon.h"

#include "IPlug/BitmapStorage.h"
#include "IPlug/IGraphicsHeadless.h"
#include "tests/support/TestControl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <future>
#include <thread>
#include <new>
#include <vector>

#include "tests/support/CountingAllocator.h"

namespace
{
struct HostRig
{
  // With standIns, the strip's editor is replaced by bare controls where its meters are.
  explicit HostRig(int block, bool standIns = true) : plug(MakePlug()), l(block), r(block), ol(block), orr(block)
  {
    plug->SetBlockSize(block);
    plug->Reset();
    for (int i = 0; i < kNumParams; ++i) plug->OnParamChange(i);
    plug->SetInputChannelConnections(0, 2, true);
    plug->SetOutputChannelConnections(0, 2, true);
    for (int i = 0; i < block; ++i) l[i] = r[i] = (float) std::sin(0.01 * i);
    if (!standIns) return;
    IGraphics* g = new IGraphicsHeadless(plug.get(), 460, 640);
    int idx[4];
    for (int& c : idx) c = g->AttachControl(new TestControl(plug.get()));
    Ostrakon::MeterControls mc;
    for (int i = 0; i < 4; ++i) mc.strip[i] = idx[i];
    plug->SetMeterControls(mc);
    plug->AttachGraphics(g);
  }
  void Render(int n)
  {
    float* ins[] = {l.data(), r.data()};
    float* outs[] = {ol.data(), orr.data()};
    plug->AttachInputBuffers(0, 2, ins, n);
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffers(0.0f, n);
  }
  std::unique_ptr<Ostrakon> plug;
  std::vector<float> l, r, ol, orr;
};
} // namespace

TEST(AudioPath, AllocatesNothing)
{
  if (!kCountingAllocations) GTEST_SKIP() << "allocation counting is off under the sanitizer";
  const int block = 3 * Ostrakon::kMaxPieceFrames + 17;
  HostRig rig(block);
  rig.plug->GetParam(kRevPhase)->Set(1.0);
  rig.Render(block); // warm-up
  {
    const long probe = AllocationCount();
    std::vector<int> v(10);
    ASSERT_GT(AllocationCount(), probe) << "the counter must see allocations";
  }
  const long before = AllocationCount();
  for (int n : {block, 1, 0, 512, Ostrakon::kMaxPieceFrames}) rig.Render(n);
  EXPECT_EQ(AllocationCount() - before, 0);

  // Every module on every path: each type in each slot, oversampling, analogue colour.
  auto set = [&](int idx, double v) {
    rig.plug->GetParam(idx)->Set(v);
    rig.plug->OnParamChange(idx);
  };
  set(kDyn1Thresh, -40.0);
  set(kDyn2Thresh, -40.0);
  set(kDyn1Ratio, 10.0);
  set(kDyn2Ratio, 10.0);
  set(kLowMidGain, 9.0);
  set(kHiPassFreq, 80.0);
  for (int over = 0; over < 2; ++over)
    for (int analogue = 0; analogue < 2; ++analogue)
      for (int type = 0; type < 4; ++type)
      {
        set(kOversampling, over);
        set(kAnalogueOn, analogue);
        set(kDyn1Type, type);
        set(kDyn2Type, (type + 1) % 4);
        const long start = AllocationCount();
        for (int n : {block, 0, 1, 700}) rig.Render(n);
        EXPECT_EQ(AllocationCount() - start, 0)
            << "oversampling " << over << ", analogue " << analogue << ", type " << type;
      }
}

TEST(AudioPath, AllocatesNothingWithTheStripsOwnEditor)
{
  if (!kCountingAllocations) GTEST_SKIP() << "allocation counting is off under the sanitizer";
  HostRig rig(512, false);
  ASSERT_EQ(rig.plug->GetGUI()->GetNControls(), 115);
  rig.plug->GetParam(kDyn1Thresh)->Set(-40.0);
  rig.plug->OnParamChange(kDyn1Thresh);
  rig.Render(512); // warm-up: the meters take their first values
  const long before = AllocationCount();
  for (int n : {512, 0, 1, 300}) rig.Render(n);
  EXPECT_EQ(AllocationCount() - before, 0);
}

// An adapter may apply changes on the audio thread between blocks (LV2 does): the
// editor's follow-up of them, greying and rearranging, allocates nothing and takes no
// lock, not even the bitmap cache's, which other instances hold while they load.
TEST(AudioPath, TheEditorsFollowUpAllocatesNothingAndTakesNoLock)
{
  HostRig rig(256, false);
  auto change = [&] {
    for (int round = 0; round < 3; ++round)
      for (int idx : {kRouting, kEqOn, kDyn1On, kDyn2On, kDyn1Type, kDyn2Type})
      {
        IParam* p = rig.plug->GetParam(idx);
        p->Set(idx == kRouting ? (round + 1) % 3 : idx == kDyn1Type || idx == kDyn2Type ? 2 - round : round % 2);
        rig.plug->OnParamChange(idx);
      }
  };
  change(); // warm-up
  if (kCountingAllocations)
  {
    const long before = AllocationCount();
    change();
    EXPECT_EQ(AllocationCount() - before, 0);
  }
  std::promise<void> locked, release;
  std::thread holder([&] {
    WDL_MutexLock lock(BitmapStorage::Instance().GetMutex());
    locked.set_value();
    release.get_future().wait();
  });
  locked.get_future().wait();
  auto follow = std::async(std::launch::async, change);
  const bool finished = follow.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  release.set_value();
  holder.join();
  follow.wait();
  EXPECT_TRUE(finished) << "the editor's follow-up waited for the bitmap cache's lock";
}

TEST(AudioPath, TakesNoPlugInLock)
{
  HostRig rig(256);
  std::promise<void> locked, release;
  std::thread holder([&] {
    rig.plug->GetMutex()->Lock();
    locked.set_value();
    release.get_future().wait();
    rig.plug->GetMutex()->Unlock();
  });
  locked.get_future().wait();
  auto render = std::async(std::launch::async, [&] {
    for (int i = 0; i < 10; ++i) rig.Render(256);
  });
  const bool finished = render.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  release.set_value();
  holder.join();
  render.wait();
  EXPECT_TRUE(finished) << "rendering waited for the plug-in lock";
}
