#include "IPlug/Base64.h"

#include "IPlug/WDL/WDL_String.h"

namespace
{
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DecodeChar(char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
} // namespace

void Base64Encode(const unsigned char* data, int size, WDL_String* out)
{
  if (!out) return;
  out->Set("");
  if (!data || size <= 0) return;
  const long long len = 4LL * ((size + 2LL) / 3);
  if (len > 0x7ffffffeLL) return;
  out->SetLen((int) len);
  char* p = out->GetWritable();
  if (!p || out->GetLength() != (int) len) return;
  for (int i = 0; i < size; i += 3)
  {
    const int n = size - i < 3 ? size - i : 3;
    const unsigned v = (unsigned) data[i] << 16 | (n > 1 ? (unsigned) data[i + 1] << 8 : 0u) |
                       (n > 2 ? (unsigned) data[i + 2] : 0u);
    *p++ = kAlphabet[(v >> 18) & 63];
    *p++ = kAlphabet[(v >> 12) & 63];
    *p++ = n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
    *p++ = n > 2 ? kAlphabet[v & 63] : '=';
  }
}

int Base64Decode(const char* text, unsigned char* out, int outSize)
{
  if (!text) return 0;
  unsigned acc = 0;
  int bits = 0, n = 0;
  for (; ; ++text)
  {
    const int v = DecodeChar(*text);
    if (v < 0) break;
    acc = (acc << 6 | (unsigned) v) & 0xFFFFFF;
    bits += 6;
    if (bits >= 8)
    {
      bits -= 8;
      if (n < outSize && out) out[n] = (unsigned char) (acc >> bits);
      if (n < 0x7fffffff) ++n;
    }
  }
  return n;
}
