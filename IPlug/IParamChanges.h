#pragma once
// Parameter changes handed from the threads that make them to the audio thread: one
// atomic value and one changed flag per parameter. Posting never waits and the
// audio thread's collection takes no lock and allocates nothing; changes to one
// parameter between two collections arrive as the latest value.

#include <atomic>
#include <cstdint>
#include <memory>

class IParamChanges
{
public:
  explicit IParamChanges(int nParams);

  int NParams() const { return mNParams; }

  // Any thread: stores the value for the audio thread and marks the parameter changed.
  // An index outside the list is ignored.
  void Post(int idx, double value);

  // Audio thread: calls apply(idx, value) for every parameter posted since the last
  // collection, in index order, and clears their flags. Returns whether any was.
  template <class F>
  bool Collect(F&& apply);

private:
  static_assert(std::atomic<double>::is_always_lock_free, "posting must not take a lock");
  static_assert(std::atomic<uint64_t>::is_always_lock_free, "posting must not take a lock");

  int mNParams;
  std::unique_ptr<std::atomic<double>[]> mValues;
  std::unique_ptr<std::atomic<uint64_t>[]> mChanged; // 64 parameters a word
};

template <class F>
bool IParamChanges::Collect(F&& apply)
{
  bool any = false;
  const int nWords = (mNParams + 63) / 64;
  for (int w = 0; w < nWords; ++w)
  {
    // Acquire: a value stored before its flag was set is seen here. A value posted
    // again after this exchange sets its flag again and arrives with the next call.
    uint64_t bits = mChanged[w].exchange(0, std::memory_order_acquire);
    while (bits)
    {
      const int bit = __builtin_ctzll(bits);
      bits &= bits - 1;
      const int idx = 64 * w + bit;
      apply(idx, mValues[idx].load(std::memory_order_relaxed));
      any = true;
    }
  }
  return any;
}
