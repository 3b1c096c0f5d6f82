#include "IPlug/IParamChanges.h"

IParamChanges::IParamChanges(int nParams)
  : mNParams(nParams > 0 ? nParams : 0), mValues(new std::atomic<double>[(size_t) mNParams]),
    mChanged(new std::atomic<uint64_t>[(size_t) (mNParams + 63) / 64])
{
  for (int i = 0; i < mNParams; ++i) mValues[i].store(0.0, std::memory_order_relaxed);
  for (int w = 0; w < (mNParams + 63) / 64; ++w) mChanged[w].store(0, std::memory_order_relaxed);
}

void IParamChanges::Post(int idx, double value)
{
  if (idx < 0 || idx >= mNParams) return;
  mValues[idx].store(value, std::memory_order_relaxed);
  // Release: the value above travels with the flag.
  mChanged[idx / 64].fetch_or(uint64_t(1) << (idx % 64), std::memory_order_release);
}
