// The strip's own program and bank files: 216 bytes of program with its identity, a
// bank that is only its header (the strip has no presets), and a program loaded from a
// file reaching the engine, not only the parameter records.

#include "IPlug/FXImage.h"
#include "IPlug/IGraphicsHeadless.h"
#include "engine/Ostrakon.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace
{
uint32_t BE32(const ByteChunk& c, int pos)
{
  const unsigned char* b = c.GetData() + pos;
  return (uint32_t) b[0] << 24 | (uint32_t) b[1] << 16 | (uint32_t) b[2] << 8 | b[3];
}

std::string Text(const ByteChunk& c, int pos, int n) { return std::string((const char*) c.GetData() + pos, n); }
} // namespace

TEST(StripProgramFiles, AProgramIs216BytesNamingTheStrip)
{
  std::unique_ptr<Ostrakon> plug(MakePlug());
  plug->GetParam(kHiMidGain)->Set(4.5);
  ByteChunk img;
  ASSERT_TRUE(plug->MakeFXPImage(&img));
  ASSERT_EQ(img.Size(), 216);
  EXPECT_EQ(Text(img, 0, 4), "CcnK");
  EXPECT_EQ(Text(img, 8, 4), "FxCk");
  EXPECT_EQ(BE32(img, 12), 1u);
  EXPECT_EQ(Text(img, 16, 4), "Vxq7");
  EXPECT_EQ(BE32(img, 20), 20002u);
  EXPECT_EQ(BE32(img, 24), 40u);
  EXPECT_EQ(Text(img, 28, 28), std::string(28, '\0'));
  for (int i = 0; i < kNumParams; ++i)
  {
    const uint32_t bits = BE32(img, 56 + 4 * i);
    float f;
    memcpy(&f, &bits, 4);
    EXPECT_EQ(f, (float) plug->GetParam(i)->GetNormalized()) << i;
  }

  ByteChunk bank;
  ASSERT_TRUE(plug->MakeFXBImage(&bank));
  EXPECT_EQ(bank.Size(), 156);
  EXPECT_EQ(Text(bank, 8, 4), "FxBk");
  EXPECT_EQ(BE32(bank, 24), 0u);
}

TEST(StripProgramFiles, AProgramFromAFileReachesTheEngine)
{
  const std::string path = testing::TempDir() + "strip-" + std::to_string(getpid()) + ".fxp";
  std::unique_ptr<Ostrakon> a(MakePlug());
  a->GetParam(kInputGain)->Set(-6.0);
  a->GetParam(kDyn1Type)->Set(kDynFET);
  a->OnParamReset();
  IGraphicsHeadless* ga = new IGraphicsHeadless(a.get(), 10, 10);
  a->AttachGraphics(ga);
  ga->QueueFileChoice(path.c_str());
  ASSERT_TRUE(a->SaveProgramAsFXP("strip.fxp"));

  std::unique_ptr<Ostrakon> b(MakePlug());
  b->ApplyParamChanges();
  ASSERT_EQ(b->GetInputGainFactor(), 1.0);
  IGraphicsHeadless* gb = new IGraphicsHeadless(b.get(), 10, 10);
  b->AttachGraphics(gb);
  gb->QueueFileChoice(path.c_str());
  ASSERT_TRUE(b->LoadProgramFromFXP());
  unlink(path.c_str());
  EXPECT_NEAR(b->GetParam(kInputGain)->Value(), -6.0, 1e-5);
  EXPECT_EQ(b->GetParam(kDyn1Type)->Int(), kDynFET);
  // The engine's own copy, as the audio thread's next block takes it.
  b->ApplyParamChanges();
  EXPECT_NEAR(b->GetInputGainFactor(), std::pow(10.0, -6.0 / 20.0), 1e-6);
}
