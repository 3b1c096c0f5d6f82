// Damaged, cut and oversized state must never be read out of bounds nor leave a
// parameter outside its range. Run under the sanitizer build to catch stray reads.

#include "StatePlug.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace
{
void ExpectSane(const StatePlug& p)
{
  for (int i = 0; i < p.NParams(); ++i)
  {
    const IParam* param = p.GetParam(i);
    const double v = param->Value();
    ASSERT_TRUE(std::isfinite(v)) << i;
    ASSERT_GE(v, param->GetMin()) << i;
    ASSERT_LE(v, param->GetMax()) << i;
  }
  for (int i = 0; i < p.NPresets(); ++i)
    ASSERT_LT(strnlen(p.GetPresetName(i), MAX_PRESET_NAME_LEN), (size_t) MAX_PRESET_NAME_LEN);
}

// A chunk of one of four shapes: random bytes, a valid image cut short, a valid image
// with random bytes after it, or a valid image with some bytes overwritten.
ByteChunk MakeChunk(std::mt19937& rng, const ByteChunk& valid)
{
  std::uniform_int_distribution<int> byte(0, 255);
  ByteChunk c;
  const int shape = std::uniform_int_distribution<int>(0, 3)(rng);
  if (shape == 0)
  {
    const int n = std::uniform_int_distribution<int>(0, 3 * valid.Size())(rng);
    for (int i = 0; i < n; ++i)
    {
      const unsigned char b = (unsigned char) byte(rng);
      c.PutBytes(&b, 1);
    }
    return c;
  }
  c.PutChunk(&valid);
  if (shape == 1)
    c.Resize(std::uniform_int_distribution<int>(0, valid.Size())(rng));
  else if (shape == 2)
    for (int i = std::uniform_int_distribution<int>(1, 64)(rng); i > 0; --i)
    {
      const unsigned char b = (unsigned char) byte(rng);
      c.PutBytes(&b, 1);
    }
  else if (c.Size() > 0)
    for (int i = std::uniform_int_distribution<int>(1, 8)(rng); i > 0; --i)
      c.GetData()[std::uniform_int_distribution<int>(0, c.Size() - 1)(rng)] =
          (unsigned char) byte(rng);
  return c;
}

int StartPos(std::mt19937& rng, const ByteChunk& c)
{
  return std::uniform_int_distribution<int>(-2, c.Size() + 2)(rng);
}
} // namespace

TEST(StateFuzz, ParameterChunksStayInBounds)
{
  std::mt19937 rng(20260507);
  StatePlug ref;
  ByteChunk valid;
  ref.SerializeParams(&valid);
  StatePlug p;
  for (int iter = 0; iter < 20000; ++iter)
  {
    const ByteChunk c = MakeChunk(rng, valid);
    const int start = StartPos(rng, c);
    const size_t before = p.events.size();
    const int pos = p.UnserializeParams(&c, start);
    ASSERT_TRUE(pos == -1 || (pos == start + 8 * kNumStateParams && pos <= c.Size()))
        << "iteration " << iter << " start " << start << " size " << c.Size() << " pos " << pos;
    ASSERT_EQ(p.events.size() - before, (size_t) kNumStateParams);
    ExpectSane(p);
    if (p.events.size() > 100000) p.events.clear();
  }
}

TEST(StateFuzz, PresetListsStayInBounds)
{
  std::mt19937 rng(977);
  StatePlug ref(4);
  ref.MakePreset("one", 3.0, 400.0, 2, 1, 0);
  ref.MakePreset("", -3.0, 20.0, 0, 2, 1);
  ref.MakePreset("a much longer preset name", 24.0, 20000.0, 3, 0, 1);
  ByteChunk valid;
  ref.SerializePresets(&valid);

  for (int iter = 0; iter < 5000; ++iter)
  {
    StatePlug p(4);
    if (iter % 2) p.MakePreset("held", 1.0, 100.0, 1, 1, 1);
    const ByteChunk c = MakeChunk(rng, valid);
    const int start = StartPos(rng, c);
    const int pos = p.UnserializePresets(&c, start);
    ASSERT_TRUE(pos == -1 || (start >= 0 && pos >= start && pos <= c.Size()))
        << "iteration " << iter << " start " << start << " size " << c.Size() << " pos " << pos;
    ASSERT_EQ(p.NPresets(), 4);
    ExpectSane(p);
    // Whatever was read, the list serialises again and restores without harm.
    ByteChunk out;
    ASSERT_TRUE(p.SerializePresets(&out));
    for (int i = 0; i < 4; ++i) p.RestorePreset(i);
    ExpectSane(p);
  }
}
