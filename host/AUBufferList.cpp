#include "host/AUBufferList.h"

#include <cstddef>
#include <new>

AUBufferList::AUBufferList(int nBuffers)
  : mNBuffers(nBuffers < 0 ? 0 : nBuffers),
    // The list is declared with one buffer; a list of none still has room for it.
    mBytes(offsetof(AudioBufferList, mBuffers) +
           (size_t) (mNBuffers > 0 ? mNBuffers : 1) * sizeof(AudioBuffer))
{
  AudioBufferList* list = new (mBytes.data()) AudioBufferList;
  list->mNumberBuffers = (UInt32) mNBuffers;
  for (int i = 0; i < mNBuffers; ++i) Set(i, nullptr, 0);
}

AudioBuffer* AUBufferList::Buffer(int i)
{
  if (i < 0 || i >= mNBuffers) return nullptr;
  return reinterpret_cast<AudioBuffer*>(mBytes.data() + offsetof(AudioBufferList, mBuffers)) + i;
}

void AUBufferList::Set(int i, float* data, UInt32 nFrames)
{
  AudioBuffer* b = Buffer(i);
  if (!b) return;
  b->mNumberChannels = 1;
  b->mDataByteSize = nFrames * (UInt32) sizeof(float);
  b->mData = data;
}

void AUBufferList::SetNull(UInt32 nFrames)
{
  for (int i = 0; i < mNBuffers; ++i) Set(i, nullptr, nFrames);
}

float* AUBufferList::Data(int i)
{
  AudioBuffer* b = Buffer(i);
  return b ? (float*) b->mData : nullptr;
}
