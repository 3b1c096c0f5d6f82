#include "IPlug/ByteChunk.h"

#include "IPlug/WDL/WDL_String.h"

#include <cstdint>

int ByteChunk::PutBytes(const void* buf, int size)
{
  const int n = Size();
  if (size <= 0) return n;
  if (!buf || size > 0x7fffffff - n) return 0;
  unsigned char* p = (unsigned char*) mBytes.Resize(n + size);
  if (!p) return 0;
  memcpy(p + n, buf, (size_t) size);
  return n + size;
}

int ByteChunk::GetBytes(void* buf, int size, int startPos) const
{
  // Written so that no sum can overflow, whatever the position or size.
  if (startPos < 0 || size < 0 || startPos > Size() - size) return -1;
  if (size > 0) memcpy(buf, GetData() + startPos, (size_t) size);
  return startPos + size;
}

int ByteChunk::PutStr(const char* str)
{
  const size_t len = str ? strlen(str) : 0;
  if (len > 0x7fffffff - sizeof(int32_t)) return 0;
  const int32_t n = (int32_t) len;
  const int before = Size();
  if (!Put(&n)) return 0;
  const int after = PutBytes(str, n);
  if (!after)
  {
    mBytes.Resize(before);
    return 0;
  }
  return after;
}

int ByteChunk::GetStr(WDL_String* str, int startPos) const
{
  int32_t n = 0;
  const int pos = Get(&n, startPos);
  if (pos < 0 || n < 0) return -1;
  if ((long long) pos + n > 0x7fffffffLL) return -1;
  const int end = pos + n;
  if (n > 0 && end <= Size())
  {
    const unsigned char* p = GetData() + pos;
    const void* zero = memchr(p, 0, (size_t) n);
    const int len = zero ? (int) ((const unsigned char*) zero - p) : n;
    str->Set((const char*) p, len);
  }
  return end;
}

int ByteChunk::PutChunk(const ByteChunk* other)
{
  if (!other) return Size();
  if (other == this)
  {
    ByteChunk copy;
    if (copy.PutChunk(other) != other->Size()) return 0;
    return PutChunk(&copy);
  }
  return PutBytes(other->GetData(), other->Size());
}

int ByteChunk::Resize(int newSize)
{
  if (newSize < 0) newSize = 0;
  const int n = Size();
  unsigned char* p = (unsigned char*) mBytes.Resize(newSize);
  if (!p && newSize > 0) return Size();
  if (newSize > n) memset(p + n, 0, (size_t) (newSize - n));
  return newSize;
}

bool ByteChunk::IsEqual(const ByteChunk* other) const
{
  if (!other || other->Size() != Size()) return false;
  return Size() == 0 || memcmp(GetData(), other->GetData(), (size_t) Size()) == 0;
}
