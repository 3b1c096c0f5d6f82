#pragma once
// The byte buffer that saved state travels in. Items are appended in the machine's
// byte order without padding or tags; a string alone carries a 32-bit length.
// Reads take a position and return the position after the item, or -1; a -1 fed
// into the next read fails it too, so a chain of reads needs one check at the end.

#include "IPlug/WDL/WDL_HeapBuf.h"

#include <cstring>
#include <type_traits>

class WDL_String;

class ByteChunk
{
public:
  ByteChunk() = default;

  // Appends an integer, double or bool (one byte, 1 or 0). Every Put returns the new
  // size, or 0 when the buffer could not grow (the chunk is then unchanged).
  template <class T>
  int Put(const T* val)
  {
    static_assert(std::is_arithmetic<T>::value, "ByteChunk holds numbers, bools and bytes");
    if constexpr (std::is_same<T, bool>::value)
    {
      const unsigned char b = *val ? 1 : 0;
      return PutBytes(&b, 1);
    }
    else
      return PutBytes(val, (int) sizeof(T));
  }

  // A bool reads true for any non-zero byte.
  template <class T>
  int Get(T* val, int startPos) const
  {
    static_assert(std::is_arithmetic<T>::value, "ByteChunk holds numbers, bools and bytes");
    if constexpr (std::is_same<T, bool>::value)
    {
      unsigned char b = 0;
      const int pos = GetBytes(&b, 1, startPos);
      if (pos >= 0) *val = b != 0;
      return pos;
    }
    else
      return GetBytes(val, (int) sizeof(T), startPos);
  }

  int PutBool(bool b) { return Put(&b); }
  int GetBool(bool* b, int startPos) const { return Get(b, startPos); }

  // A 32-bit length, then the characters without a terminator. A null text is empty.
  int PutStr(const char* str);
  // Reads a string item. The text is taken only when all its bytes are present (and
  // stops at an embedded zero); otherwise str keeps its text and the end position is
  // still returned, so the next read fails by itself. A negative length fails (-1).
  int GetStr(WDL_String* str, int startPos) const;

  int PutBytes(const void* buf, int size);
  int GetBytes(void* buf, int size, int startPos) const;
  int PutChunk(const ByteChunk* other);

  void Clear() { mBytes.Resize(0); }
  int Size() const { return mBytes.GetSize(); }
  // Bytes added by growing are zero. Returns the size afterwards, unchanged on failure.
  int Resize(int newSize);
  unsigned char* GetData() const { return (unsigned char*) mBytes.Get(); }
  bool IsEqual(const ByteChunk* other) const;

private:
  WDL_HeapBuf mBytes{256};
};
