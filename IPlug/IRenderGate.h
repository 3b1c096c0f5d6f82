#pragma once
// Keeps re-initialisations (sample rate, block size, Reset, connections) and the
// audio thread's blocks apart without ever making the audio thread wait: a block
// that finds a re-initialisation under way is refused, and a re-initialisation
// waits until the block in progress has ended.

#include <atomic>
#include <thread>

class IRenderGate
{
public:
  // Audio thread: enters a block unless a re-initialisation holds the gate, and never
  // waits. Blocks may nest.
  bool TryEnterBlock();
  void LeaveBlock();

  // Any other thread: keeps new blocks out, waits until the blocks in progress have
  // ended, and holds the gate until the matching unlock. Re-initialisers take turns; one
  // that holds the gate may lock it again. A thread inside a block of this gate (a
  // host reconfiguring from a render callback) waits only for the others' blocks.
  void LockReinit();
  void UnlockReinit();

  // A block for the scope, if the gate lets one in.
  class Block
  {
  public:
    explicit Block(IRenderGate* gate) : mGate(gate->TryEnterBlock() ? gate : nullptr) {}
    ~Block()
    {
      if (mGate) mGate->LeaveBlock();
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    bool Entered() const { return mGate != nullptr; }

  private:
    IRenderGate* mGate;
  };

  // The gate held for a re-initialisation for the scope.
  class Reinit
  {
  public:
    explicit Reinit(IRenderGate* gate) : mGate(gate) { mGate->LockReinit(); }
    ~Reinit() { mGate->UnlockReinit(); }
    Reinit(const Reinit&) = delete;
    Reinit& operator=(const Reinit&) = delete;

  private:
    IRenderGate* mGate;
  };

private:
  // The low bits count the blocks in progress; the top bit marks a re-initialisation.
  static constexpr unsigned kReinit = 1u << 31;
  std::atomic<unsigned> mState{0};
  std::atomic<std::thread::id> mOwner{};
  int mDepth = 0; // the owner's nesting, touched only by the owner
};
