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

// The blocks this thread is inside, per gate: a host that reconfigures a unit from a
// callback of that unit's own render call must not wait for itself. A few entries
// cover a chain of units rendering one another.
struct HeldBlocks
{
  const IRenderGate* gate;
  unsigned count;
};
thread_local HeldBlocks tHeld[4] = {};

HeldBlocks* HeldFor(const IRenderGate* gate, bool add)
{
  for (HeldBlocks& h : tHeld)
    if (h.gate == gate) return &h;
  if (add)
    for (HeldBlocks& h : tHeld)
      if (!h.gate)
      {
        h.gate = gate;
        return &h;
      }
  return nullptr;
}
} // namespace

bool IRenderGate::TryEnterBlock()
{
  unsigned s = mState.load(std::memory_order_relaxed);
  do
  {
    if (s & kReinit) return false;
  } while (!mState.compare_exchange_weak(s, s + 1, std::memory_order_acquire, std::memory_order_relaxed));
  if (HeldBlocks* h = HeldFor(this, true)) ++h->count;
  return true;
}

void IRenderGate::LeaveBlock()
{
  if (HeldBlocks* h = HeldFor(this, false))
    if (--h->count == 0) h->gate = nullptr;
  mState.fetch_sub(1, std::memory_order_release);
}

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
  // Then let the blocks in progress end, but for those this very thread is inside.
  const HeldBlocks* mine = HeldFor(this, false);
  const unsigned own = mine ? mine->count : 0;
  for (int round = 0; (mState.load(std::memory_order_acquire) & ~kReinit) != own; ++round) Pause(round);
  mOwner.store(me, std::memory_order_relaxed);
  mDepth = 1;
}

void IRenderGate::UnlockReinit()
{
  if (--mDepth > 0) return;
  mOwner.store(std::thread::id(), std::memory_order_relaxed);
  mState.fetch_and(~kReinit, std::memory_order_release);
}
