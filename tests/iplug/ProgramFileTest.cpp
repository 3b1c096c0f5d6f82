// Program (.fxp) and bank (.fxb) files: their layout byte for byte, the file dialog, round
// trips through files, and what a refused or damaged file leaves behind.

#include "StatePlug.h"

#include "IPlug/FXImage.h"
#include "IPlug/IGraphicsHeadless.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
uint32_t BE32(const ByteChunk& c, int pos)
{
  const unsigned char* b = c.GetData() + pos;
  return (uint32_t) b[0] << 24 | (uint32_t) b[1] << 16 | (uint32_t) b[2] << 8 | b[3];
}

float BEFloat(const ByteChunk& c, int pos)
{
  const uint32_t bits = BE32(c, pos);
  float f;
  memcpy(&f, &bits, 4);
  return f;
}

void SetBE32(ByteChunk* c, int pos, uint32_t v)
{
  unsigned char* b = c->GetData() + pos;
  b[0] = (unsigned char) (v >> 24);
  b[1] = (unsigned char) (v >> 16);
  b[2] = (unsigned char) (v >> 8);
  b[3] = (unsigned char) v;
}

void SetBEFloat(ByteChunk* c, int pos, float f)
{
  uint32_t bits;
  memcpy(&bits, &f, 4);
  SetBE32(c, pos, bits);
}

std::string Text(const ByteChunk& c, int pos, int n) { return std::string((const char*) c.GetData() + pos, n); }

ByteChunk Cut(const ByteChunk& c, int size)
{
  ByteChunk out;
  out.PutBytes(c.GetData(), size);
  return out;
}

IGraphicsHeadless* Attach(StatePlug* p)
{
  IGraphicsHeadless* g = new IGraphicsHeadless(p, 10, 10);
  p->AttachGraphics(g);
  return g;
}

std::vector<double> Values(const StatePlug& p)
{
  std::vector<double> v;
  for (int i = 0; i < p.NParams(); ++i) v.push_back(p.GetParam(i)->Value());
  return v;
}

std::vector<double> Normalized(const StatePlug& p)
{
  std::vector<double> v;
  for (int i = 0; i < p.NParams(); ++i) v.push_back(p.GetParam(i)->GetNormalized());
  return v;
}

void SetSound(StatePlug* p, double gain, double freq, int count, int mode, bool on)
{
  p->GetParam(kGain)->Set(gain);
  p->GetParam(kFreq)->Set(freq);
  p->GetParam(kCount)->Set(count);
  p->GetParam(kMode)->Set(mode);
  p->GetParam(kOn)->Set(on ? 1.0 : 0.0);
}

// A plug-in with three presets and the last one current.
void MakeThreePresets(StatePlug* p)
{
  p->MakePreset("Loud", 6.0, 2000.0, 3, 2, 0);
  p->MakePreset("Soft", -6.0, 200.0, 0, 0, 1);
  p->MakePreset("Bright", 1.5, 12000.0, 1, 1, 1);
  p->RestorePreset(2);
}

class ScratchDir
{
public:
  ScratchDir()
  {
    static int n = 0;
    mPath = testing::TempDir() + "fxfiles-" + std::to_string(getpid()) + "-" + std::to_string(n++);
    mkdir(mPath.c_str(), 0755);
  }
  ~ScratchDir()
  {
    for (const std::string& f : List()) unlink((mPath + "/" + f).c_str());
    rmdir(mPath.c_str());
  }
  std::string Path(const std::string& name) const { return mPath + "/" + name; }
  const std::string& Dir() const { return mPath; }
  std::vector<std::string> List() const
  {
    std::vector<std::string> names;
    if (DIR* d = opendir(mPath.c_str()))
    {
      while (dirent* e = readdir(d))
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.push_back(e->d_name);
      closedir(d);
    }
    return names;
  }

private:
  std::string mPath;
};

std::string ReadFile(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary) << bytes;
}

const int kProgramSize = kFXProgramHeaderBytes + 4 * kNumStateParams;
} // namespace

TEST(ProgramFiles, AProgramIsTheHeaderThenEveryNormalisedValueAsABigEndianFloat)
{
  StatePlug p;
  SetSound(&p, 6.0, 2000.0, 2, 1, false);
  ByteChunk img;
  ASSERT_TRUE(p.MakeFXPImage(&img));
  ASSERT_EQ(img.Size(), kProgramSize);
  EXPECT_EQ(Text(img, 0, 4), "CcnK");
  EXPECT_EQ(BE32(img, 4), 0u);
  EXPECT_EQ(Text(img, 8, 4), "FxCk");
  EXPECT_EQ(BE32(img, 12), 1u);
  EXPECT_EQ(BE32(img, 16), 0x53746174u);
  EXPECT_EQ(BE32(img, 20), 10203u); // the decimal form of 0x10203
  EXPECT_EQ(BE32(img, 24), (uint32_t) kNumStateParams);
  EXPECT_EQ(Text(img, 28, 28), std::string(28, '\0')); // no preset, no name
  for (int i = 0; i < kNumStateParams; ++i)
    EXPECT_EQ(BEFloat(img, 56 + 4 * i), (float) p.GetParam(i)->GetNormalized()) << i;
}

TEST(ProgramFiles, ABankStoresEachPresetsNormalisedValuesOnce)
{
  StatePlug p(3);
  MakeThreePresets(&p);
  ByteChunk img;
  ASSERT_TRUE(p.MakeFXBImage(&img));
  ASSERT_EQ(img.Size(), kFXBankHeaderBytes + 3 * kProgramSize);
  EXPECT_EQ(Text(img, 0, 4), "CcnK");
  EXPECT_EQ(BE32(img, 4), 0u);
  EXPECT_EQ(Text(img, 8, 4), "FxBk");
  EXPECT_EQ(BE32(img, 12), 2u);
  EXPECT_EQ(BE32(img, 16), 0x53746174u);
  EXPECT_EQ(BE32(img, 20), 10203u);
  EXPECT_EQ(BE32(img, 24), 3u);
  EXPECT_EQ(BE32(img, 28), 2u); // the current preset
  EXPECT_EQ(Text(img, 32, 124), std::string(124, '\0'));
  const char* names[] = {"Loud", "Soft", "Bright"};
  for (int r = 0; r < 3; ++r)
  {
    const int at = kFXBankHeaderBytes + r * kProgramSize;
    EXPECT_EQ(Text(img, at, 4), "CcnK");
    EXPECT_EQ(BE32(img, at + 4), 0u);
    EXPECT_EQ(Text(img, at + 8, 4), "FxCk");
    EXPECT_EQ(BE32(img, at + 12), 1u);
    EXPECT_EQ(BE32(img, at + 16), 0x53746174u);
    EXPECT_EQ(BE32(img, at + 24), (uint32_t) kNumStateParams);
    EXPECT_EQ(Text(img, at + 28, 28), std::string(names[r]) + std::string(28 - strlen(names[r]), '\0'));
    for (int i = 0; i < kNumStateParams; ++i)
    {
      double stored = 0.0;
      p.Preset(r)->mChunk.Get(&stored, 8 * i);
      EXPECT_EQ(BEFloat(img, at + 56 + 4 * i), (float) stored) << r << " " << i;
    }
  }
  // "Loud" has Freq 2000 Hz: its knob position, not that position read as hertz again.
  EXPECT_NEAR(BEFloat(img, kFXBankHeaderBytes + 56 + 4 * kFreq), std::sqrt(1980.0 / 19980.0), 1e-7);
}

TEST(ProgramFiles, WithoutPresetsABankIsItsHeaderAndALoadedProgramStillReachesTheEngine)
{
  StatePlug p;
  ByteChunk bank;
  ASSERT_TRUE(p.MakeFXBImage(&bank));
  EXPECT_EQ(bank.Size(), kFXBankHeaderBytes);
  EXPECT_EQ(BE32(bank, 24), 0u);
  EXPECT_EQ(BE32(bank, 28), 0u);

  StatePlug source;
  SetSound(&source, -12.0, 500.0, 3, 2, false);
  ByteChunk program;
  ASSERT_TRUE(source.MakeFXPImage(&program));
  ASSERT_TRUE(p.LoadFXPImage(&program));
  for (int i = 0; i < kNumStateParams; ++i)
    EXPECT_NEAR(p.GetParam(i)->GetNormalized(), source.GetParam(i)->GetNormalized(), 1e-7) << i;
  EXPECT_EQ(p.Changes(), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(p.events.back(), "program changed");

  // Loading the header-only bank changes nothing and still succeeds.
  const std::vector<double> before = Values(p);
  EXPECT_TRUE(p.LoadFXBImage(&bank));
  EXPECT_EQ(Values(p), before);
}

TEST(ProgramFiles, WithoutAnEditorNothingIsAskedAndAllFourFail)
{
  StatePlug p(1);
  IGraphicsHeadless unattached(&p, 10, 10);
  unattached.QueueFileChoice("/nonexistent/never-asked.fxp");
  EXPECT_FALSE(p.SaveProgramAsFXP("x.fxp"));
  EXPECT_FALSE(p.SaveBankAsFXB("x.fxb"));
  EXPECT_FALSE(p.LoadProgramFromFXP());
  EXPECT_FALSE(p.LoadBankFromFXB());
  EXPECT_TRUE(unattached.FileDialogsShown().empty());
  EXPECT_TRUE(p.events.empty());
}

TEST(ProgramFiles, TheDialogStartsFromTheDefaultNameAndTheFolderChosenLast)
{
  ScratchDir dir;
  StatePlug p;
  IGraphicsHeadless* g = Attach(&p);
  g->QueueFileChoice(dir.Path("a.fxp").c_str());
  EXPECT_TRUE(p.SaveProgramAsFXP("mine.fxp"));
  g->QueueFileChoice(dir.Path("b.fxb").c_str());
  EXPECT_TRUE(p.SaveBankAsFXB("bank.fxb"));
  EXPECT_FALSE(p.LoadProgramFromFXP()); // cancelled: nothing queued
  EXPECT_FALSE(p.LoadBankFromFXB());

  const auto& shown = g->FileDialogsShown();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].action, kFileSave);
  EXPECT_EQ(shown[0].defaultName, "mine.fxp");
  EXPECT_EQ(shown[0].dir, "");
  EXPECT_EQ(shown[0].extensions, "fxp");
  EXPECT_EQ(shown[1].action, kFileSave);
  EXPECT_EQ(shown[1].defaultName, "bank.fxb");
  EXPECT_EQ(shown[1].dir, dir.Dir() + "/");
  EXPECT_EQ(shown[1].extensions, "fxb");
  EXPECT_EQ(shown[2].action, kFileOpen);
  EXPECT_EQ(shown[2].extensions, "fxp");
  EXPECT_EQ(shown[3].action, kFileOpen);
  EXPECT_EQ(shown[3].extensions, "fxb");
  EXPECT_EQ(ReadFile(dir.Path("a.fxp")).size(), (size_t) kProgramSize);
  EXPECT_EQ(ReadFile(dir.Path("b.fxb")).size(), (size_t) kFXBankHeaderBytes);

  // A cancelled save writes nothing.
  EXPECT_FALSE(p.SaveProgramAsFXP("c.fxp"));
  EXPECT_EQ(dir.List().size(), 2u);
}

TEST(ProgramFiles, AProgramGoesThroughAFileIntoAnotherInstance)
{
  ScratchDir dir;
  StatePlug a(1);
  a.MakePreset("Take", 3.0, 440.0, 1, 2, 1);
  a.RestorePreset(0);
  SetSound(&a, -7.5, 9000.0, 2, 1, false);
  IGraphicsHeadless* ga = Attach(&a);
  ga->QueueFileChoice(dir.Path("take.fxp").c_str());
  ASSERT_TRUE(a.SaveProgramAsFXP("take.fxp"));

  StatePlug b(1);
  IGraphicsHeadless* gb = Attach(&b);
  b.events.clear();
  gb->QueueFileChoice(dir.Path("take.fxp").c_str());
  ASSERT_TRUE(b.LoadProgramFromFXP());
  const std::vector<double> want = Normalized(a), got = Normalized(b);
  for (int i = 0; i < kNumStateParams; ++i) EXPECT_NEAR(got[i], want[i], 1e-7) << i;
  // The current preset takes the program and its name; every parameter reaches the engine.
  EXPECT_STREQ(b.GetPresetName(0), "Take");
  EXPECT_TRUE(b.Preset(0)->mInitialized);
  EXPECT_EQ(b.Changes(), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(b.events.back(), "program changed");
}

TEST(ProgramFiles, ABankGoesThroughAFileIntoAnotherInstance)
{
  ScratchDir dir;
  StatePlug a(3);
  MakeThreePresets(&a);
  IGraphicsHeadless* ga = Attach(&a);
  ga->QueueFileChoice(dir.Path("all.fxb").c_str());
  ASSERT_TRUE(a.SaveBankAsFXB("all.fxb"));

  StatePlug b(3);
  IGraphicsHeadless* gb = Attach(&b);
  gb->QueueFileChoice(dir.Path("all.fxb").c_str());
  ASSERT_TRUE(b.LoadBankFromFXB());
  EXPECT_EQ(b.GetCurrentPresetIdx(), 2);
  for (int r = 0; r < 3; ++r)
  {
    EXPECT_STREQ(b.GetPresetName(r), a.GetPresetName(r));
    ASSERT_TRUE(b.Preset(r)->mInitialized);
    for (int i = 0; i < kNumStateParams; ++i)
    {
      double x = -1.0, y = -2.0;
      a.Preset(r)->mChunk.Get(&x, 8 * i);
      b.Preset(r)->mChunk.Get(&y, 8 * i);
      EXPECT_NEAR(y, x, 1e-7) << r << " " << i;
    }
  }
  // The current program's values are the live ones.
  const std::vector<double> want = Normalized(a), got = Normalized(b);
  for (int i = 0; i < kNumStateParams; ++i) EXPECT_NEAR(got[i], want[i], 1e-7) << i;
  EXPECT_EQ(b.events.back(), "program changed");
}

TEST(ProgramFiles, AForeignUniqueIDIsRefusedAndNothingChanges)
{
  StatePlug source(3);
  MakeThreePresets(&source);
  ByteChunk program, bank;
  ASSERT_TRUE(source.MakeFXPImage(&program));
  ASSERT_TRUE(source.MakeFXBImage(&bank));
  SetBE32(&program, 16, 0x4f746872); // "Othr"
  SetBE32(&bank, 16, 0x4f746872);

  StatePlug p(3);
  const std::vector<double> before = Values(p);
  EXPECT_FALSE(p.LoadFXPImage(&program));
  EXPECT_FALSE(p.LoadFXBImage(&bank));
  EXPECT_EQ(Values(p), before);
  EXPECT_TRUE(p.events.empty());
  for (int r = 0; r < 3; ++r) EXPECT_FALSE(p.Preset(r)->mInitialized);
}

TEST(ProgramFiles, HeadersThatDoNotMatchAreRefused)
{
  StatePlug source;
  ByteChunk good;
  ASSERT_TRUE(source.MakeFXPImage(&good));
  const struct
  {
    int pos;
    uint32_t value;
  } damage[] = {
      {0, FXMagic("CcnX")}, {8, FXMagic("FxBk")},  {8, FXMagic("FPCh")}, // opaque state for a plug-in of values
      {12, 2},              {24, kNumStateParams - 1}, {24, kNumStateParams + 1}, {24, 0x80000000u},
  };
  for (const auto& d : damage)
  {
    ByteChunk img = Cut(good, good.Size());
    SetBE32(&img, d.pos, d.value);
    StatePlug p(1);
    EXPECT_FALSE(p.LoadFXPImage(&img)) << d.pos << " " << d.value;
    EXPECT_TRUE(p.events.empty()) << d.pos;
  }
  // The byte size and the plug-in version are not looked at.
  ByteChunk img = Cut(good, good.Size());
  SetBE32(&img, 4, 12345);
  SetBE32(&img, 20, 99);
  StatePlug p;
  EXPECT_TRUE(p.LoadFXPImage(&img));
}

TEST(ProgramFiles, EveryShortProgramIsRefusedWithoutAChange)
{
  StatePlug source;
  SetSound(&source, 10.0, 100.0, 3, 2, false);
  ByteChunk good;
  ASSERT_TRUE(source.MakeFXPImage(&good));
  for (int n = 0; n < good.Size(); ++n)
  {
    const ByteChunk img = Cut(good, n);
    StatePlug p(1);
    const std::vector<double> before = Values(p);
    ASSERT_FALSE(p.LoadFXPImage(&img)) << n;
    ASSERT_EQ(Values(p), before) << n;
    ASSERT_TRUE(p.events.empty()) << n;
  }
}

TEST(ProgramFiles, ABankThatGoesBadPartWayKeepsTheProgramsBeforeIt)
{
  StatePlug source(3);
  MakeThreePresets(&source);
  ByteChunk good;
  ASSERT_TRUE(source.MakeFXBImage(&good));

  // Cut inside the second program.
  {
    const ByteChunk img = Cut(good, kFXBankHeaderBytes + kProgramSize + 30);
    StatePlug p(3);
    EXPECT_FALSE(p.LoadFXBImage(&img));
    EXPECT_STREQ(p.GetPresetName(0), "Loud");
    EXPECT_TRUE(p.Preset(0)->mInitialized);
    EXPECT_FALSE(p.Preset(1)->mInitialized);
    EXPECT_FALSE(p.Preset(2)->mInitialized);
    // The engine holds what the parameters show: the first program, applied last.
    const std::vector<int> changes = p.Changes();
    ASSERT_GE(changes.size(), (size_t) kNumStateParams);
    EXPECT_EQ(std::vector<int>(changes.end() - kNumStateParams, changes.end()), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(p.events.back(), "program changed");
    EXPECT_NEAR(p.GetParam(kGain)->Value(), 6.0, 1e-5);
    EXPECT_EQ(p.GetParam(kCount)->Int(), 3);
  }
  // A program count beyond the file's end: the programs that are there load, then it fails.
  {
    ByteChunk img = Cut(good, good.Size());
    SetBE32(&img, 24, 4);
    StatePlug p(4);
    EXPECT_FALSE(p.LoadFXBImage(&img));
    EXPECT_STREQ(p.GetPresetName(2), "Bright");
    EXPECT_FALSE(p.Preset(3)->mInitialized);
  }
  // A second program of another format.
  {
    ByteChunk img = Cut(good, good.Size());
    SetBE32(&img, kFXBankHeaderBytes + kProgramSize + 8, FXMagic("FPCh"));
    StatePlug p(3);
    EXPECT_FALSE(p.LoadFXBImage(&img));
    EXPECT_TRUE(p.Preset(0)->mInitialized);
    EXPECT_FALSE(p.Preset(1)->mInitialized);
  }
  // A negative count, and every cut within the header, change nothing at all.
  {
    ByteChunk img = Cut(good, good.Size());
    SetBE32(&img, 24, 0xFFFFFFFFu);
    StatePlug p(3);
    EXPECT_FALSE(p.LoadFXBImage(&img));
    EXPECT_TRUE(p.events.empty());
  }
  for (int n = 0; n < kFXBankHeaderBytes; ++n)
  {
    const ByteChunk img = Cut(good, n);
    StatePlug p(3);
    ASSERT_FALSE(p.LoadFXBImage(&img)) << n;
    ASSERT_TRUE(p.events.empty()) << n;
  }
  // Programs beyond the preset list have no slot: they are not poured into the current one.
  {
    StatePlug p(2);
    p.MakePreset("Mine", 0.0, 1000.0, 1, 0, 1);
    p.MakePreset("Other", 0.0, 1000.0, 1, 0, 1);
    EXPECT_TRUE(p.LoadFXBImage(&good));
    EXPECT_STREQ(p.GetPresetName(0), "Loud");
    EXPECT_STREQ(p.GetPresetName(1), "Soft");
  }
}

TEST(ProgramFiles, NamesAreCutTo27BytesOnACharacterBoundary)
{
  StatePlug p(1);
  p.MakePreset("abcdefghijklmnopqrstuvwxyz0123456789", 0.0, 1000.0, 1, 0, 1);
  p.RestorePreset(0);
  ByteChunk img;
  ASSERT_TRUE(p.MakeFXPImage(&img));
  EXPECT_EQ(Text(img, 28, 28), std::string("abcdefghijklmnopqrstuvwxyz0") + '\0');

  // Two-byte characters: the one that would end at byte 28 is left out whole.
  p.ModifyCurrentPreset("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                        "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
  ASSERT_TRUE(p.MakeFXPImage(&img));
  const std::string field = Text(img, 28, 28);
  EXPECT_EQ(field.substr(0, 26), std::string("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                                             "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"));
  EXPECT_EQ(field.substr(26), std::string(2, '\0'));

  // A name field without a terminator reads as its 27 first bytes.
  for (int i = 28; i < 56; ++i) img.GetData()[i] = 'N';
  StatePlug q(1);
  ASSERT_TRUE(q.LoadFXPImage(&img));
  EXPECT_STREQ(q.GetPresetName(0), std::string(27, 'N').c_str());
}

TEST(ProgramFiles, StoredValuesAreHeldToTheRangeAndANaNIsNoValue)
{
  StatePlug source;
  ByteChunk img;
  ASSERT_TRUE(source.MakeFXPImage(&img));
  SetBEFloat(&img, 56 + 4 * kGain, std::nanf(""));
  SetBEFloat(&img, 56 + 4 * kFreq, 2.0f);
  SetBEFloat(&img, 56 + 4 * kCount, -1.0f);
  SetBEFloat(&img, 56 + 4 * kMode, 0.5f);
  SetBEFloat(&img, 56 + 4 * kOn, INFINITY);
  StatePlug p;
  p.GetParam(kGain)->Set(4.0);
  ASSERT_TRUE(p.LoadFXPImage(&img));
  EXPECT_EQ(p.GetParam(kGain)->Value(), 4.0);
  EXPECT_EQ(p.GetParam(kFreq)->Value(), 20000.0);
  EXPECT_EQ(p.GetParam(kCount)->Value(), 0.0);
  EXPECT_EQ(p.GetParam(kMode)->Value(), 1.0);
  EXPECT_EQ(p.GetParam(kOn)->Value(), 1.0);
}

TEST(ProgramFiles, AnOpaquePlugInWritesAndReadsItsStateAndItsPresetList)
{
  StatePlug a(3, true);
  MakeThreePresets(&a);
  ByteChunk program, bank, state, presets;
  ASSERT_TRUE(a.MakeFXPImage(&program));
  ASSERT_TRUE(a.SerializeState(&state));
  ASSERT_EQ(program.Size(), 60 + state.Size());
  EXPECT_EQ(Text(program, 8, 4), "FPCh");
  EXPECT_EQ(BE32(program, 24), (uint32_t) kNumStateParams);
  EXPECT_EQ(Text(program, 28, 28), std::string("Bright") + std::string(22, '\0'));
  EXPECT_EQ(BE32(program, 56), (uint32_t) state.Size());
  EXPECT_EQ(Text(program, 60, state.Size()), Text(state, 0, state.Size()));

  ASSERT_TRUE(a.MakeFXBImage(&bank));
  ASSERT_TRUE(a.SerializePresets(&presets));
  ASSERT_EQ(bank.Size(), 160 + presets.Size());
  EXPECT_EQ(Text(bank, 8, 4), "FBCh");
  EXPECT_EQ(BE32(bank, 4), (uint32_t) presets.Size() + 160);
  EXPECT_EQ(BE32(bank, 156), (uint32_t) presets.Size());
  EXPECT_EQ(Text(bank, 160, presets.Size()), Text(presets, 0, presets.Size()));

  // The bank's preset list is applied, not only accepted; then the current program.
  StatePlug b(3, true);
  ASSERT_TRUE(b.LoadFXBImage(&bank));
  for (int r = 0; r < 3; ++r)
  {
    EXPECT_STREQ(b.GetPresetName(r), a.GetPresetName(r));
    EXPECT_TRUE(b.Preset(r)->mChunk.IsEqual(&a.Preset(r)->mChunk)) << r;
  }
  EXPECT_EQ(b.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(b.events.back(), "program changed");

  StatePlug c(1, true);
  ASSERT_TRUE(c.LoadFXPImage(&program));
  EXPECT_EQ(Normalized(c), Normalized(a));
  EXPECT_STREQ(c.GetPresetName(0), "Bright");

  // Each kind of plug-in refuses the other kind's files.
  StatePlug plain(3);
  EXPECT_FALSE(plain.LoadFXPImage(&program));
  EXPECT_FALSE(plain.LoadFXBImage(&bank));
  ByteChunk plainProgram, plainBank;
  ASSERT_TRUE(plain.MakeFXPImage(&plainProgram));
  ASSERT_TRUE(plain.MakeFXBImage(&plainBank));
  StatePlug opaque(3, true);
  EXPECT_FALSE(opaque.LoadFXPImage(&plainProgram));
  EXPECT_FALSE(opaque.LoadFXBImage(&plainBank));
  EXPECT_TRUE(opaque.events.empty());

  // A state or preset image that runs past the file's end is refused.
  ByteChunk longer = Cut(program, program.Size());
  SetBE32(&longer, 56, (uint32_t) state.Size() + 1);
  EXPECT_FALSE(c.LoadFXPImage(&longer));
  SetBE32(&longer, 56, 0xFFFFFFF0u);
  EXPECT_FALSE(c.LoadFXPImage(&longer));
  ByteChunk longBank = Cut(bank, bank.Size());
  SetBE32(&longBank, 156, (uint32_t) presets.Size() + 1);
  EXPECT_FALSE(b.LoadFXBImage(&longBank));
}

TEST(ProgramFiles, AFileIsReplacedOnlyByACompleteImage)
{
  ScratchDir dir;
  StatePlug p(1, true);
  IGraphicsHeadless* g = Attach(&p);
  WriteFile(dir.Path("keep.fxp"), "old");

  // The image cannot be built: the file already there stays as it was.
  p.failSerialize = true;
  g->QueueFileChoice(dir.Path("keep.fxp").c_str());
  EXPECT_FALSE(p.SaveProgramAsFXP("keep.fxp"));
  EXPECT_EQ(ReadFile(dir.Path("keep.fxp")), "old");
  p.failSerialize = false;

  // Neither a folder nor a file in a missing folder can be written; nothing is left over.
  mkdir(dir.Path("folder").c_str(), 0755);
  g->QueueFileChoice(dir.Path("folder").c_str());
  EXPECT_FALSE(p.SaveProgramAsFXP("x.fxp"));
  g->QueueFileChoice(dir.Path("missing/x.fxp").c_str());
  EXPECT_FALSE(p.SaveBankAsFXB("x.fxb"));
  rmdir(dir.Path("folder").c_str());
  EXPECT_EQ(dir.List(), std::vector<std::string>{"keep.fxp"});

  // A complete image replaces it, and only it is there.
  g->QueueFileChoice(dir.Path("keep.fxp").c_str());
  EXPECT_TRUE(p.SaveProgramAsFXP("keep.fxp"));
  ByteChunk img;
  ASSERT_TRUE(p.MakeFXPImage(&img));
  EXPECT_EQ(ReadFile(dir.Path("keep.fxp")), Text(img, 0, img.Size()));
  EXPECT_EQ(dir.List(), std::vector<std::string>{"keep.fxp"});

  // A file that is not there, or a folder, loads nothing.
  g->QueueFileChoice(dir.Path("absent.fxp").c_str());
  EXPECT_FALSE(p.LoadProgramFromFXP());
  g->QueueFileChoice(dir.Dir().c_str());
  EXPECT_FALSE(p.LoadBankFromFXB());
  // Nor does a pipe, which is not waited on for a writer.
  ASSERT_EQ(mkfifo(dir.Path("pipe.fxp").c_str(), 0600), 0);
  g->QueueFileChoice(dir.Path("pipe.fxp").c_str());
  EXPECT_FALSE(p.LoadProgramFromFXP());
  unlink(dir.Path("pipe.fxp").c_str());
}
