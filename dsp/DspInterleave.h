#pragma once
// Conversion between separate channel buffers and one interleaved buffer
// (frame i, channel c at index i*channels + c). A mono buffer needs neither, so
// one channel is a programming error; zero or fewer channels do nothing.

#include "dsp/DspAssert.h"

#include <cstddef>

namespace Dsp {

template <typename Td, typename Ts>
void interleave(int channels, size_t frames, Td* dest, const Ts* const* src)
{
  DSP_ASSERT(channels!=1);
  if (channels == 2)
  {
    const Ts* l = src[0];
    const Ts* r = src[1];
    for (size_t n = frames % 4; n > 0; --n)
    {
      *dest++ = static_cast<Td>(*l++);
      *dest++ = static_cast<Td>(*r++);
    }
    for (size_t n = frames / 4; n > 0; --n, dest += 8, l += 4, r += 4)
    {
      dest[0] = static_cast<Td>(l[0]);
      dest[1] = static_cast<Td>(r[0]);
      dest[2] = static_cast<Td>(l[1]);
      dest[3] = static_cast<Td>(r[1]);
      dest[4] = static_cast<Td>(l[2]);
      dest[5] = static_cast<Td>(r[2]);
      dest[6] = static_cast<Td>(l[3]);
      dest[7] = static_cast<Td>(r[3]);
    }
  }
  else if (channels > 2)
  {
    for (int c = 0; c < channels; ++c)
    {
      const Ts* s = src[c];
      Td* d = dest + c;
      for (size_t i = 0; i < frames; ++i, d += channels) *d = static_cast<Td>(s[i]);
    }
  }
}

template <typename Td, typename Ts>
void deinterleave(int channels, size_t frames, Td* const* dest, const Ts* src)
{
  DSP_ASSERT(channels!=1);
  if (channels == 2)
  {
    Td* l = dest[0];
    Td* r = dest[1];
    for (size_t n = frames % 4; n > 0; --n)
    {
      *l++ = static_cast<Td>(*src++);
      *r++ = static_cast<Td>(*src++);
    }
    for (size_t n = frames / 4; n > 0; --n, src += 8, l += 4, r += 4)
    {
      l[0] = static_cast<Td>(src[0]);
      r[0] = static_cast<Td>(src[1]);
      l[1] = static_cast<Td>(src[2]);
      r[1] = static_cast<Td>(src[3]);
      l[2] = static_cast<Td>(src[4]);
      r[2] = static_cast<Td>(src[5]);
      l[3] = static_cast<Td>(src[6]);
      r[3] = static_cast<Td>(src[7]);
    }
  }
  else if (channels > 2)
  {
    for (int c = 0; c < channels; ++c)
    {
      const Ts* s = src + c;
      Td* d = dest[c];
      for (size_t i = 0; i < frames; ++i, s += channels) d[i] = static_cast<Td>(*s);
    }
  }
}

} // namespace Dsp
