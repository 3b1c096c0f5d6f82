// Damaged program and bank files - cut short, bytes overwritten, header fields set to
// extremes, garbage appended, or random bytes - must never be read out of bounds, leave
// a parameter outside its range or a name unterminated, and a refused program must
// change nothing. Run under the sanitizer build to catch stray reads.

#include "StatePlug.h"

#include "IPlug/FXImage.h"

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

void SetBE32(ByteChunk* c, int pos, uint32_t v)
{
  if (pos < 0 || pos + 4 > c->Size()) return;
  unsigned char* b = c->GetData() + pos;
  b[0] = (unsigned char) (v >> 24);
  b[1] = (unsigned char) (v >> 16);
  b[2] = (unsigned char) (v >> 8);
  b[3] = (unsigned char) v;
}

// The header fields of a program at 0, of a bank at 0, and of a bank's first programs.
const int kFieldOffsets[] = {0,   4,   8,   12,  16,  20,  24,  28,  56,  60,  156, 160, 164,
                             168, 172, 176, 180, 212, 232, 236, 240, 244, 248, 252, 256};
const uint32_t kExtremes[] = {0u, 1u, 2u, 3u, 4u, 5u, 6u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF0u,
                              40u, 76u, 216u, 1000u, 0x10000u};

// One damaged image made from a valid one.
ByteChunk Mutate(std::mt19937& rng, const ByteChunk& valid)
{
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  ByteChunk c;
  const int shape = pick(0, 4);
  if (shape == 0)
  {
    for (int n = pick(0, valid.Size() + 64); n > 0; --n)
    {
      const unsigned char b = (unsigned char) pick(0, 255);
      c.PutBytes(&b, 1);
    }
    return c;
  }
  c.PutChunk(&valid);
  switch (shape)
  {
    case 1: c.Resize(pick(0, valid.Size())); break;
    case 2:
      for (int n = pick(1, 8); n > 0; --n) c.GetData()[pick(0, c.Size() - 1)] = (unsigned char) pick(0, 255);
      break;
    case 3:
      for (int n = pick(1, 3); n > 0; --n)
        SetBE32(&c, kFieldOffsets[pick(0, (int) (sizeof kFieldOffsets / sizeof kFieldOffsets[0]) - 1)],
                kExtremes[pick(0, (int) (sizeof kExtremes / sizeof kExtremes[0]) - 1)]);
      if (pick(0, 1)) c.Resize(pick(0, valid.Size()));
      break;
    default:
      for (int n = pick(1, 300); n > 0; --n)
      {
        const unsigned char b = (unsigned char) pick(0, 255);
        c.PutBytes(&b, 1);
      }
      break;
  }
  return c;
}

void MakePresets(StatePlug* p)
{
  p->MakePreset("one", 3.0, 400.0, 2, 1, 0);
  p->MakePreset("", -3.0, 20.0, 0, 2, 1);
  p->MakePreset("a much longer preset name than fits", 24.0, 20000.0, 3, 0, 1);
  p->RestorePreset(1);
}

void Fuzz(bool opaque, int iterations, unsigned seed)
{
  std::mt19937 rng(seed);
  StatePlug ref(3, opaque);
  MakePresets(&ref);
  ByteChunk program, bank;
  ASSERT_TRUE(ref.MakeFXPImage(&program));
  ASSERT_TRUE(ref.MakeFXBImage(&bank));

  StatePlug p(3, opaque);
  MakePresets(&p);
  for (int iter = 0; iter < iterations; ++iter)
  {
    const bool isBank = iter % 2;
    const ByteChunk c = Mutate(rng, isBank ? bank : program);
    ByteChunk before;
    ASSERT_TRUE(p.SerializeParams(&before));
    const bool loaded = isBank ? p.LoadFXBImage(&c) : p.LoadFXPImage(&c);
    ExpectSane(p);
    if (!loaded && !isBank && !opaque)
    {
      ByteChunk after;
      ASSERT_TRUE(p.SerializeParams(&after));
      ASSERT_TRUE(after.IsEqual(&before)) << "iteration " << iter;
    }
    // Whatever was loaded saves again, as files and as the preset list.
    ByteChunk out;
    ASSERT_TRUE(p.MakeFXPImage(&out));
    ASSERT_TRUE(p.MakeFXBImage(&out));
    if (p.events.size() > 10000) p.events.clear();
  }
}
} // namespace

// 2 x 60000 images of each kind of plug-in, half programs and half banks.
TEST(ProgramFuzz, DamagedProgramsAndBanksOfValues) { Fuzz(false, 60000, 20261208); }

TEST(ProgramFuzz, DamagedProgramsAndBanksOfOpaqueState) { Fuzz(true, 60000, 4417); }
