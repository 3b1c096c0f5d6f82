#pragma once
// A host's AudioBufferList of mono float buffers, with room for its buffers made once:
// pointing them at the host's samples, or at nothing so that the unit lends its own,
// allocates nothing and may be done on the audio thread.

#include "platform/CoreAudio/CoreAudioTypes.h"

#include <vector>

class AUBufferList
{
public:
  explicit AUBufferList(int nBuffers = 0);

  int NBuffers() const { return mNBuffers; }
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(mBytes.data()); }

  // Buffer i holds nFrames samples at data; a null data pointer asks the unit for one.
  void Set(int i, float* data, UInt32 nFrames);
  // Every buffer asks the unit for its samples.
  void SetNull(UInt32 nFrames);
  // Where buffer i's samples are after a render: the host's or the unit's.
  float* Data(int i);
  AudioBuffer* Buffer(int i);

private:
  int mNBuffers = 0;
  std::vector<unsigned char> mBytes;
};
