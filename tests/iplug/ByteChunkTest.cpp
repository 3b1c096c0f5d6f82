#include "IPlug/Base64.h"
#include "IPlug/ByteChunk.h"
#include "IPlug/WDL/WDL_String.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::vector<unsigned char> Bytes(const ByteChunk& c)
{
  return std::vector<unsigned char>(c.GetData(), c.GetData() + c.Size());
}

// A string item whose length field need not match the bytes that follow.
ByteChunk StringItem(int32_t length, const char* bytes, int nBytes)
{
  ByteChunk c;
  c.Put(&length);
  c.PutBytes(bytes, nBytes);
  return c;
}
} // namespace

TEST(ByteChunk, ItemsAreLittleEndianWithoutPadding)
{
  ByteChunk c;
  const int32_t i = 0x01020304;
  const int32_t neg = -2;
  const double d = 1.0;
  const double third = -0.75;
  EXPECT_EQ(c.Put(&i), 4);
  EXPECT_EQ(c.Put(&neg), 8);
  EXPECT_EQ(c.Put(&d), 16);
  EXPECT_EQ(c.Put(&third), 24);
  EXPECT_EQ(c.PutBool(true), 25);
  EXPECT_EQ(c.PutBool(false), 26);
  EXPECT_EQ(c.PutStr("abc"), 33);
  EXPECT_EQ(c.PutStr(""), 37);
  EXPECT_EQ(c.PutBytes("\xff\x00\x7f", 3), 40);
  const std::vector<unsigned char> expected = {
    0x04, 0x03, 0x02, 0x01,                         // 32-bit integer
    0xfe, 0xff, 0xff, 0xff,                         // -2
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f, // 1.0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xe8, 0xbf, // -0.75
    0x01, 0x00,                                     // true, false
    0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c',          // length, no terminator
    0x00, 0x00, 0x00, 0x00,                         // empty string: the length alone
    0xff, 0x00, 0x7f};                              // raw bytes, no length
  EXPECT_EQ(Bytes(c), expected);
}

TEST(ByteChunk, ReadsChainPositionsAndFailWithMinusOne)
{
  ByteChunk c;
  const int32_t i = -123456;
  const double d = 3.25;
  c.Put(&i);
  c.Put(&d);
  c.PutBool(true);
  c.PutStr("name");

  int32_t ri = 0;
  double rd = 0.0;
  bool rb = false;
  WDL_String rs;
  int pos = c.Get(&ri, 0);
  EXPECT_EQ(pos, 4);
  pos = c.Get(&rd, pos);
  EXPECT_EQ(pos, 12);
  pos = c.GetBool(&rb, pos);
  EXPECT_EQ(pos, 13);
  pos = c.GetStr(&rs, pos);
  EXPECT_EQ(pos, 21);
  EXPECT_EQ(pos, c.Size());
  EXPECT_EQ(ri, i);
  EXPECT_EQ(rd, d);
  EXPECT_TRUE(rb);
  EXPECT_STREQ(rs.Get(), "name");

  // Past the end, across the end, before the start: -1 and the destination untouched.
  rd = 7.0;
  EXPECT_EQ(c.Get(&rd, pos), -1);
  EXPECT_EQ(c.Get(&rd, pos - 7), -1);
  EXPECT_EQ(c.Get(&rd, pos - 8), pos);
  rd = 7.0;
  EXPECT_EQ(c.Get(&rd, -1), -1);
  EXPECT_EQ(c.Get(&rd, -8), -1);
  EXPECT_EQ(c.Get(&rd, 0x7ffffffc), -1);
  EXPECT_EQ(rd, 7.0);
  char raw[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(c.GetBytes(raw, -1, 0), -1);
  EXPECT_EQ(c.GetBytes(raw, 4, 18), -1);
  EXPECT_EQ(c.GetBytes(raw, 3, 18), 21);
  EXPECT_EQ(std::string(raw, 4), "amex");
  EXPECT_EQ(c.GetBytes(raw, 0, 21), 21);

  // A bool is any non-zero byte.
  ByteChunk b;
  b.PutBytes("\x02\x00", 2);
  rb = false;
  EXPECT_EQ(b.GetBool(&rb, 0), 1);
  EXPECT_TRUE(rb);
  EXPECT_EQ(b.GetBool(&rb, 1), 2);
  EXPECT_FALSE(rb);
}

TEST(ByteChunk, ShortNegativeEmptyAndEmbeddedZeroStrings)
{
  WDL_String s("before");

  // The length says 10, only 4 characters follow: text kept, end position returned,
  // and the next read fails by itself.
  ByteChunk shortStr = StringItem(10, "abcd", 4);
  EXPECT_EQ(shortStr.GetStr(&s, 0), 14);
  EXPECT_STREQ(s.Get(), "before");
  double d = 0.0;
  EXPECT_EQ(shortStr.Get(&d, 14), -1);
  EXPECT_EQ(shortStr.GetStr(&s, shortStr.Size() - 3), -1); // no room for the length

  // A negative length is a failed read, not a step backwards.
  ByteChunk negative = StringItem(-4, "abcdefgh", 8);
  EXPECT_EQ(negative.GetStr(&s, 0), -1);
  EXPECT_STREQ(s.Get(), "before");
  ByteChunk huge = StringItem(0x7fffffff, "ab", 2);
  EXPECT_EQ(huge.GetStr(&s, 0), -1);

  // An empty item leaves the text as it was.
  ByteChunk empty = StringItem(0, "", 0);
  EXPECT_EQ(empty.GetStr(&s, 0), 4);
  EXPECT_STREQ(s.Get(), "before");

  // The text stops at a zero byte, the position does not.
  ByteChunk zero = StringItem(5, "ab\0cd", 5);
  EXPECT_EQ(zero.GetStr(&s, 0), 9);
  EXPECT_STREQ(s.Get(), "ab");
}

TEST(ByteChunk, ResizeClearCompareAndAppendChunks)
{
  ByteChunk a;
  EXPECT_EQ(a.Size(), 0);
  EXPECT_EQ(a.GetData(), nullptr);
  EXPECT_EQ(a.Resize(5), 5);
  EXPECT_EQ(Bytes(a), std::vector<unsigned char>(5, 0));
  a.GetData()[4] = 9;
  EXPECT_EQ(a.Resize(2), 2);
  EXPECT_EQ(a.Resize(4), 4);
  EXPECT_EQ(Bytes(a), std::vector<unsigned char>(4, 0)); // regrown bytes are zero again
  EXPECT_EQ(a.Resize(-3), 0);

  ByteChunk b, c;
  b.PutStr("xy");
  c.PutStr("xy");
  EXPECT_TRUE(b.IsEqual(&c));
  EXPECT_FALSE(b.IsEqual(&a));
  EXPECT_FALSE(b.IsEqual(nullptr));
  EXPECT_TRUE(a.IsEqual(&a));

  EXPECT_EQ(b.PutChunk(&c), 12);
  EXPECT_EQ(b.PutChunk(&b), 24); // appending itself doubles it
  ByteChunk four;
  for (int i = 0; i < 4; ++i) four.PutStr("xy");
  EXPECT_TRUE(b.IsEqual(&four));
  EXPECT_EQ(b.PutChunk(nullptr), 24);
  EXPECT_EQ(b.PutBytes(nullptr, 3), 0); // nothing to copy from: a failed append
  EXPECT_EQ(b.Size(), 24);

  b.Clear();
  EXPECT_EQ(b.Size(), 0);
  EXPECT_EQ(b.PutStr(nullptr), 4);

  // Growth keeps earlier bytes across many reallocations.
  ByteChunk big;
  for (int32_t i = 0; i < 5000; ++i) ASSERT_EQ(big.Put(&i), 4 * (i + 1));
  int32_t v = 0;
  for (int32_t i = 0, pos = 0; i < 5000; ++i)
  {
    pos = big.Get(&v, pos);
    ASSERT_EQ(v, i);
  }
}

TEST(Base64, EncodesAndDecodesTheStandardVectors)
{
  // RFC 4648, section 10.
  const char* const plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
  const char* const coded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  for (int i = 0; i < 7; ++i)
  {
    SCOPED_TRACE(plain[i]);
    WDL_String out("junk");
    const int n = (int) strlen(plain[i]);
    Base64Encode((const unsigned char*) plain[i], n, &out);
    EXPECT_STREQ(out.Get(), coded[i]);
    unsigned char buf[8] = {};
    EXPECT_EQ(Base64Decode(coded[i], buf, (int) sizeof(buf)), n);
    EXPECT_EQ(std::string((const char*) buf, n), plain[i]);
  }

  // Every byte value and the upper part of the alphabet.
  unsigned char all[256];
  for (int i = 0; i < 256; ++i) all[i] = (unsigned char) i;
  WDL_String text;
  Base64Encode(all, 256, &text);
  EXPECT_EQ(text.GetLength(), 344);
  EXPECT_EQ(std::string(text.Get()).substr(336), "/P3+/w==");
  unsigned char back[256] = {};
  EXPECT_EQ(Base64Decode(text.Get(), back, 256), 256);
  EXPECT_EQ(memcmp(all, back, 256), 0);
}

TEST(Base64, DecodingStopsAtForeignCharactersAndDropsOverflow)
{
  unsigned char buf[8] = {};
  // "AAECAwQF" is 00 01 02 03 04 05; only four fit.
  EXPECT_EQ(Base64Decode("AAECAwQF", buf, 4), 6);
  EXPECT_EQ(std::vector<unsigned char>(buf, buf + 8),
            (std::vector<unsigned char>{0, 1, 2, 3, 0, 0, 0, 0}));
  unsigned char stop[4] = {};
  EXPECT_EQ(Base64Decode("AQ*CAw", stop, 4), 1); // '*' ends the text
  EXPECT_EQ(stop[0], 1);
  EXPECT_EQ(stop[1], 0);
  EXPECT_EQ(Base64Decode(nullptr, stop, 4), 0);
  EXPECT_EQ(Base64Decode("AAEC", nullptr, 0), 3);
}
