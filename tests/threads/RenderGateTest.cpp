// The render gate: blocks and re-initialisations never overlap, the audio side never
// waits, a re-initialisation waits for the block in progress.

#include "IPlug/IRenderGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace
{
// Waits up to five seconds for a condition another thread makes true.
template <class F>
bool Eventually(F condition)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition())
  {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::yield();
  }
  return true;
}
} // namespace

TEST(RenderGate, BlocksAndReinitialisationsNeverOverlap)
{
  IRenderGate gate;
  long shared = 0; // plain on purpose: an overlap is a data race for the sanitizer
  std::atomic<bool> reinitialising{false}, stop{false};
  std::atomic<long> blocks{0}, refused{0}, overlaps{0};
  std::thread audio([&] {
    while (!stop.load())
    {
      IRenderGate::Block block(&gate);
      if (!block.Entered())
      {
        ++refused;
        continue;
      }
      if (reinitialising.load()) ++overlaps;
      ++shared;
      ++blocks;
    }
  });
  const int kReinits = 3000;
  for (int i = 0; i < kReinits; ++i)
  {
    {
      IRenderGate::Reinit hold(&gate);
      reinitialising = true;
      shared += 1000000;
      reinitialising = false;
    }
    // Blocks get their turn between re-initialisations.
    if (i % 100 == 0)
    {
      const long before = blocks.load();
      EXPECT_TRUE(Eventually([&] { return blocks.load() > before; }));
    }
  }
  stop = true;
  audio.join();
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_EQ(shared, blocks.load() + 1000000L * kReinits);
}

TEST(RenderGate, AReinitialisationWaitsForTheBlockInProgressWhileNewBlocksAreRefused)
{
  IRenderGate gate;
  ASSERT_TRUE(gate.TryEnterBlock()); // this thread is the audio thread, mid-block
  std::atomic<bool> done{false};
  std::thread other([&] {
    IRenderGate::Reinit hold(&gate);
    done = true;
  });
  // Once the other thread has claimed the gate a new block is refused at once.
  EXPECT_TRUE(Eventually([&] {
    if (!gate.TryEnterBlock()) return true;
    gate.LeaveBlock();
    return false;
  }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(done) << "the re-initialisation ran during a block";
  gate.LeaveBlock();
  other.join();
  EXPECT_TRUE(done);
  ASSERT_TRUE(gate.TryEnterBlock());
  gate.LeaveBlock();
}

TEST(RenderGate, NestsOnOneThreadAndNeverWaitsForItself)
{
  IRenderGate gate;
  {
    IRenderGate::Reinit outer(&gate);
    IRenderGate::Reinit inner(&gate);
    EXPECT_FALSE(gate.TryEnterBlock());
  }
  ASSERT_TRUE(gate.TryEnterBlock());
  ASSERT_TRUE(gate.TryEnterBlock()); // blocks nest
  gate.LeaveBlock();
  gate.LeaveBlock();

  // A host reconfiguring from a callback of the render call it is in. Detached, with
  // a gate of its own, so that a thread waiting for itself fails the test instead of
  // hanging it.
  auto own = std::make_shared<IRenderGate>();
  auto finished = std::make_shared<std::atomic<int>>(0);
  std::thread([own, finished] {
    IRenderGate::Block block(own.get());
    if (block.Entered())
    {
      IRenderGate::Reinit hold(own.get());
      *finished = 1;
    }
    else
      *finished = 2;
  }).detach();
  ASSERT_TRUE(Eventually([&] { return finished->load() != 0; })) << "the thread waited for its own block";
  EXPECT_EQ(finished->load(), 1);
  // Once its block has ended, the gate is free.
  EXPECT_TRUE(Eventually([&] {
    if (!own->TryEnterBlock()) return false;
    own->LeaveBlock();
    return true;
  }));
}
