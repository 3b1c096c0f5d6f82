#include "IPlug/WDL/WDL_String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace
{
int BoundedLength(const char* text, int maxLen)
{
  if (!text) return 0;
  if (maxLen < 0) return (int) strlen(text);
  const void* end = memchr(text, 0, (size_t) maxLen);
  return end ? (int) ((const char*) end - text) : maxLen;
}
} // namespace

WDL_String::WDL_String(const char* initial, int maxLen)
{
  if (initial) Set(initial, maxLen);
}

WDL_String::WDL_String(const WDL_String& other) : mHeap(other.mHeap) {}

WDL_String& WDL_String::operator=(const WDL_String& other)
{
  if (this != &other) Set(other.Get());
  return *this;
}

const char* WDL_String::Get() const
{
  const char* p = (const char*) mHeap.Get();
  return p ? p : "";
}

char* WDL_String::GetWritable() { return (char*) mHeap.Get(); }

int WDL_String::GetLength() const
{
  return mHeap.GetSize() > 0 ? (int) strlen(Get()) : 0;
}

void WDL_String::Set(const char* text, int maxLen)
{
  const int n = BoundedLength(text, maxLen);
  // The text may point into this string, so copy through the new size first.
  if (text && text >= Get() && text < Get() + mHeap.GetSize())
  {
    WDL_String copy(text, n);
    Set(copy.Get());
    return;
  }
  char* p = (char*) mHeap.Resize(n + 1);
  if (!p) return;
  if (n) memcpy(p, text, (size_t) n);
  p[n] = 0;
}

void WDL_String::Append(const char* text, int maxLen)
{
  Insert(text, GetLength(), maxLen);
}

void WDL_String::Insert(const char* text, int position, int maxLen)
{
  const int n = BoundedLength(text, maxLen);
  if (n == 0) return;
  WDL_String copy(text, n); // the text may point into this string
  const int len = GetLength();
  if (position < 0) position = 0;
  if (position > len) position = len;
  char* p = (char*) mHeap.Resize(len + n + 1);
  if (!p) return;
  memmove(p + position + n, p + position, (size_t) (len - position + 1));
  memcpy(p + position, copy.Get(), (size_t) n);
}

void WDL_String::DeleteSub(int position, int length)
{
  const int len = GetLength();
  if (position < 0 || position >= len || length <= 0) return;
  if (length > len - position) length = len - position;
  char* p = GetWritable();
  memmove(p + position, p + position + length, (size_t) (len - position - length + 1));
  mHeap.Resize(len - length + 1);
}

void WDL_String::SetLen(int length)
{
  if (length < 0) length = 0;
  const int len = GetLength();
  char* p = (char*) mHeap.Resize(length + 1);
  if (!p) return;
  for (int i = len; i < length; ++i) p[i] = ' ';
  p[length] = 0;
}

void WDL_String::SetFormatted(int maxLen, const char* fmt, ...)
{
  if (maxLen < 0) maxLen = 0;
  char* p = (char*) mHeap.Resize(maxLen + 1);
  if (!p) return;
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(p, (size_t) maxLen + 1, fmt, ap);
  va_end(ap);
  mHeap.Resize((int) strlen(p) + 1);
}

void WDL_String::AppendFormatted(int maxLen, const char* fmt, ...)
{
  if (maxLen < 0) maxLen = 0;
  WDL_HeapBuf tmp(maxLen + 1);
  char* p = (char*) tmp.Resize(maxLen + 1);
  if (!p) return;
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(p, (size_t) maxLen + 1, fmt, ap);
  va_end(ap);
  Append(p);
}
