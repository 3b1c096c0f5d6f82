#include "IPlug/IRenderGate.h"

#include <chrono>

namespace
{
// A re-initialiser's wait: a few yields, then short sleeps. A block lasts at most a
// few milliseconds.
void Pause(int round)
{
  if (round < 64)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::microseconds(50));
}
} // namespace

bool IRenderGate::TryEnterBlock()
{
  unsigned s = mState.load(std::memory_order_relaxed);
  do
  {
    if (s & kReinit) return false;
  } while (!mState.compare_exchange_weak(s, s + 1, std::memory_order_acquire, std::memory_order_relaxed));
  return true;
}

void IRenderGate::LeaveBlock() { mState.fetch_sub(1, std::memory_order_release); }

void IRenderGate::LockReinit()
{
  const std::thread::id me = std::this_thread::get_id();
  if (mOwner.load(std::memory_order_relaxed) == me)
  {
    ++mDepth;
    return;
  }
  // Claim the gate: from here on no new block starts.
  unsigned s = mState.load(std::memory_order_relaxed);
  for (int round = 0;; ++round)
  {
    if (!(s & kReinit) &&
        mState.compare_exchange_weak(s, s | kReinit, std::memory_order_acquire, std::memory_order_relaxed))
      break;
    Pause(round);
    s = mState.load(std::memory_order_relaxed);
  }
  // Then let the blocks in progress end.
  for (int round = 0; (mState.load(std::memory_order_acquire) & ~kReinit) != 0; ++round) Pause(round);
  mOwner.store(me, std::memory_order_relaxed);
  mDepth = 1;
}

void IRenderGate::UnlockReinit()
{
  if (--mDepth > 0) return;
  mOwner.store(std::thread::id(), std::memory_order_relaxed);
  mState.fetch_and(~kReinit, std::memory_order_release);
}
