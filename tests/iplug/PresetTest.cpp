#include "StatePlug.h"

#include "IPlug/WDL/WDL_PtrList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
std::vector<unsigned char> Bytes(const ByteChunk& c)
{
  return std::vector<unsigned char>(c.GetData(), c.GetData() + c.Size());
}

std::string ReadFile(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string TempPath(const char* name)
{
  return testing::TempDir() + name + std::to_string(getpid());
}

// The values a preset's chunk restores to, read through a fresh plug-in.
std::vector<double> Restored(const IPreset* preset)
{
  StatePlug p;
  p.UnserializeParams(&preset->mChunk, 0);
  std::vector<double> out;
  for (int i = 0; i < kNumStateParams; ++i) out.push_back(p.GetParam(i)->Value());
  return out;
}

void ExpectValues(const std::vector<double>& got, const std::vector<double>& want)
{
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << i;
}
} // namespace

TEST(Presets, ListStartsEmptyAndLookupsOutsideItFail)
{
  StatePlug p(3);
  EXPECT_EQ(p.NPresets(), 3);
  EXPECT_EQ(p.GetCurrentPresetIdx(), 0);
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_STREQ(p.GetPresetName(i), "empty");
    EXPECT_FALSE(p.Preset(i)->mInitialized);
    EXPECT_EQ(p.Preset(i)->mChunk.Size(), 0);
  }
  EXPECT_STREQ(p.GetPresetName(-1), "");
  EXPECT_STREQ(p.GetPresetName(3), "");
  EXPECT_FALSE(p.RestorePreset(3));
  EXPECT_FALSE(p.RestorePreset(-1));
  EXPECT_FALSE(p.RestorePreset("empty2"));
  EXPECT_FALSE(p.RestorePreset(""));
  EXPECT_FALSE(p.RestorePreset((const char*) nullptr));
  EXPECT_TRUE(p.events.empty());

  StatePlug none;
  EXPECT_EQ(none.NPresets(), 0);
  EXPECT_FALSE(none.RestorePreset(0));
  none.ModifyCurrentPreset("x");
  EXPECT_STREQ(none.GetPresetName(0), "");
}

TEST(Presets, MadePresetsStoreNormalisedValuesThatRestoreToThoseGiven)
{
  StatePlug p(4);
  p.MakePreset("Loud", 6.0, 2000.0, 3, 2, 0);
  p.GetParam(kMode)->Set(1.0); // unnamed below: the current value is taken
  p.MakePresetFromNamedParams("Named", 3, kCount, 0, kGain, -6.5, kOn, 1);
  p.MakeDefaultPreset(nullptr, 1);

  const IPreset* loud = p.Preset(0);
  EXPECT_TRUE(loud->mInitialized);
  EXPECT_STREQ(loud->mName, "Loud");
  ASSERT_EQ(loud->mChunk.Size(), 8 * kNumStateParams);
  double stored = 0.0;
  loud->mChunk.Get(&stored, 0);
  EXPECT_DOUBLE_EQ(stored, 0.625); // 6 dB of -24..24
  ExpectValues(Restored(loud), {6.0, 2000.0, 3, 2, 0});
  ExpectValues(Restored(p.Preset(1)), {-6.5, 1000.0, 0, 1, 1});
  EXPECT_STREQ(p.GetPresetName(2), "Empty");
  ExpectValues(Restored(p.Preset(2)), {0.0, 1000.0, 1, 1, 1});
  EXPECT_FALSE(p.Preset(3)->mInitialized);

  // Restoring applies the values, makes the entry current and tells the plug-in.
  p.events.clear();
  EXPECT_TRUE(p.RestorePreset("Loud"));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 0);
  EXPECT_NEAR(p.GetParam(kGain)->Value(), 6.0, 1e-12);
  EXPECT_NEAR(p.GetParam(kFreq)->Value(), 2000.0, 1e-9);
  EXPECT_EQ(p.GetParam(kCount)->Value(), 3.0);
  EXPECT_EQ(p.GetParam(kMode)->Value(), 2.0);
  EXPECT_EQ(p.GetParam(kOn)->Value(), 0.0);
  EXPECT_EQ(p.Changes().size(), (size_t) kNumStateParams);
  EXPECT_EQ(p.events.back(), "presets changed");
  EXPECT_FALSE(p.RestorePreset("loud")); // names match exactly
  EXPECT_TRUE(p.RestorePreset(1));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 1);
  EXPECT_NEAR(p.GetParam(kGain)->Value(), -6.5, 1e-12);

  // The last free entry, then nothing left to fill.
  p.MakePresetFromChunk("Chunk", &loud->mChunk);
  EXPECT_TRUE(p.Preset(3)->mChunk.IsEqual(&loud->mChunk));
  p.MakePreset("Late", 0.0, 20.0, 0, 0, 0);
  p.MakeDefaultPreset("Late", 2);
  p.MakePresetFromNamedParams("Late", 0);
  p.MakePresetFromBlob("Late", "AAAA", 3);
  for (int i = 0; i < 4; ++i) EXPECT_STRNE(p.GetPresetName(i), "Late");
}

TEST(Presets, NamedParamsWithAnUnknownIndexStopThere)
{
  StatePlug p(1);
  p.GetParam(kGain)->Set(3.0);
  // kGain's value after the bad index cannot be told from the arguments; it is not read.
  p.MakePresetFromNamedParams("Bad", 3, kCount, 3, 99, 1, kGain, 12.0);
  ASSERT_TRUE(p.Preset(0)->mInitialized);
  ExpectValues(Restored(p.Preset(0)), {3.0, 1000.0, 3, 0, 1});
}

TEST(Presets, EnsureDefaultPresetFillsEveryEmptySlot)
{
  StatePlug p(3);
  p.MakePreset("First", 1.0, 20.0, 0, 0, 0);
  p.GetParam(kGain)->Set(-3.0);
  p.EnsureDefaultPreset();
  EXPECT_STREQ(p.GetPresetName(0), "First");
  EXPECT_STREQ(p.GetPresetName(1), "Empty");
  EXPECT_STREQ(p.GetPresetName(2), "Empty");
  EXPECT_NEAR(Restored(p.Preset(2))[kGain], -3.0, 1e-12);
}

TEST(Presets, RestoringAnEmptySlotMakesTheNextUserPreset)
{
  StatePlug p(4);
  ByteChunk any;
  p.SerializeParams(&any);
  p.MakePresetFromChunk("user preset 1", &any);
  p.MakePresetFromChunk("my user preset", &any);
  EXPECT_EQ(GetNextUninitializedPreset(nullptr), nullptr);

  p.GetParam(kCount)->Set(3.0);
  p.events.clear();
  EXPECT_TRUE(p.RestorePreset(3));
  EXPECT_STREQ(p.GetPresetName(3), "user preset 3");
  EXPECT_TRUE(p.Preset(3)->mInitialized);
  EXPECT_EQ(p.GetCurrentPresetIdx(), 3);
  EXPECT_EQ(Restored(p.Preset(3))[kCount], 3.0);
  // Capturing changes no parameter, so the engine is not told.
  EXPECT_TRUE(p.Changes().empty());
  EXPECT_EQ(p.events, std::vector<std::string>{"presets changed"});
  EXPECT_FALSE(p.Preset(2)->mInitialized);

  char name[MAX_PRESET_NAME_LEN];
  MakeDefaultUserPresetName(nullptr, name);
  EXPECT_STREQ(name, "user preset 1");
}

TEST(Presets, ModifyRenameAndPrune)
{
  StatePlug p(4);
  p.MakePreset("A", 0.0, 20.0, 0, 0, 0);
  p.MakePreset("B", 0.0, 20.0, 0, 0, 0);
  EXPECT_TRUE(p.RestorePreset(1));
  p.GetParam(kGain)->Set(9.0);
  p.ModifyCurrentPreset("B2");
  EXPECT_STREQ(p.GetPresetName(1), "B2");
  EXPECT_NEAR(Restored(p.Preset(1))[kGain], 9.0, 1e-12);
  EXPECT_EQ(p.Preset(1)->mChunk.Size(), 8 * kNumStateParams); // replaced, not appended
  p.GetParam(kGain)->Set(-9.0);
  p.ModifyCurrentPreset("");
  EXPECT_STREQ(p.GetPresetName(1), "B2");
  EXPECT_NEAR(Restored(p.Preset(1))[kGain], -9.0, 1e-12);

  // Modifying an empty current slot captures the values but leaves it uninitialised.
  StatePlug q(2);
  q.ModifyCurrentPreset();
  EXPECT_FALSE(q.Preset(0)->mInitialized);
  EXPECT_EQ(q.Preset(0)->mChunk.Size(), 8 * kNumStateParams);
  EXPECT_STREQ(q.GetPresetName(0), "empty");

  p.MakePresetFromChunk("D", &p.Preset(0)->mChunk);
  ASSERT_EQ(p.NPresets(), 4);
  EXPECT_FALSE(p.Preset(3)->mInitialized);
  p.PruneUninitializedPresets();
  ASSERT_EQ(p.NPresets(), 3);
  EXPECT_STREQ(p.GetPresetName(0), "A");
  EXPECT_STREQ(p.GetPresetName(1), "B2");
  EXPECT_STREQ(p.GetPresetName(2), "D");
  q.PruneUninitializedPresets();
  EXPECT_EQ(q.NPresets(), 0);
}

TEST(Presets, LongNamesAreCut)
{
  StatePlug p(1);
  const std::string longName(1000, 'n');
  p.MakeDefaultPreset(longName.c_str(), 1);
  EXPECT_EQ(strlen(p.GetPresetName(0)), (size_t) MAX_PRESET_NAME_LEN - 1);
  p.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(strlen(p.GetPresetName(0)), (size_t) MAX_PRESET_NAME_LEN - 1);
}

TEST(Presets, ListImageLayoutAndRoundTrip)
{
  StatePlug p(3);
  p.MakePreset("ab", 12.0, 20.0, 0, 2, 1);
  p.MakePreset("", -24.0, 20000.0, 3, 0, 0);
  ByteChunk image;
  ASSERT_TRUE(p.SerializePresets(&image));
  // Per entry: name item, flag byte, and for an initialised entry its chunk, no length.
  ASSERT_EQ(image.Size(), (4 + 2 + 1 + 40) + (4 + 0 + 1 + 40) + (4 + 5 + 1));
  const std::vector<unsigned char> b = Bytes(image);
  EXPECT_EQ(std::vector<unsigned char>(b.begin(), b.begin() + 7),
            (std::vector<unsigned char>{2, 0, 0, 0, 'a', 'b', 1}));
  EXPECT_EQ(memcmp(b.data() + 7, p.Preset(0)->mChunk.GetData(), 40), 0);
  EXPECT_EQ(std::vector<unsigned char>(b.begin() + 47, b.begin() + 52),
            (std::vector<unsigned char>{0, 0, 0, 0, 1}));
  EXPECT_EQ(std::vector<unsigned char>(b.end() - 10, b.end()),
            (std::vector<unsigned char>{5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0}));

  StatePlug q(3);
  q.GetParam(kCount)->Set(1.0);
  EXPECT_EQ(q.UnserializePresets(&image, 0), image.Size());
  EXPECT_STREQ(q.GetPresetName(0), "ab");
  // An empty name is not read back: the entry takes the name read before it.
  EXPECT_STREQ(q.GetPresetName(1), "ab");
  EXPECT_STREQ(q.GetPresetName(2), "empty");
  for (int i = 0; i < 2; ++i)
  {
    EXPECT_TRUE(q.Preset(i)->mInitialized);
    ExpectValues(Restored(q.Preset(i)), Restored(p.Preset(i)));
  }
  EXPECT_FALSE(q.Preset(2)->mInitialized);
  // Afterwards the current preset (0) is restored again.
  EXPECT_NEAR(q.GetParam(kGain)->Value(), 12.0, 1e-12);
  EXPECT_EQ(q.GetParam(kMode)->Value(), 2.0);

  StatePlug none;
  ByteChunk nothing;
  EXPECT_TRUE(none.SerializePresets(&nothing));
  EXPECT_EQ(nothing.Size(), 0);
  EXPECT_EQ(none.UnserializePresets(&nothing, 0), 0);
  EXPECT_FALSE(none.SerializePresets(nullptr));
  EXPECT_EQ(none.UnserializePresets(nullptr, 0), -1);
}

TEST(Presets, AnEntryReadAsEmptyIsRecapturedWithoutItsOldBytes)
{
  StatePlug p(1);
  p.MakePreset("Old", 24.0, 20.0, 0, 0, 0);
  StatePlug blank(1);
  ByteChunk image;
  blank.SerializePresets(&image); // "empty", not initialised
  p.GetParam(kGain)->Set(-1.0);
  EXPECT_EQ(p.UnserializePresets(&image, 0), image.Size());
  // The final restore of the current, now empty, entry captures the live values.
  EXPECT_TRUE(p.Preset(0)->mInitialized);
  EXPECT_STREQ(p.GetPresetName(0), "user preset 1");
  EXPECT_EQ(p.Preset(0)->mChunk.Size(), 8 * kNumStateParams);
  EXPECT_NEAR(Restored(p.Preset(0))[kGain], -1.0, 1e-12);
}

TEST(Presets, BlobsDecodeIntoAChunkOfTheGivenSize)
{
  StatePlug p(3);
  // 00 01 02 03 04 05 in base64.
  p.MakePresetFromBlob("four", "AAECAwQF", 4);
  p.MakePresetFromBlob("eight", "AAECAwQF", 8);
  p.MakePresetFromBlob("none", "AAECAwQF", -2);
  EXPECT_EQ(Bytes(p.Preset(0)->mChunk), (std::vector<unsigned char>{0, 1, 2, 3}));
  EXPECT_EQ(Bytes(p.Preset(1)->mChunk), (std::vector<unsigned char>{0, 1, 2, 3, 4, 5, 0, 0}));
  EXPECT_EQ(p.Preset(2)->mChunk.Size(), 0);
  EXPECT_STREQ(p.GetPresetName(1), "eight");
  // Too short for the parameters: the restore fails, the values read stay applied.
  EXPECT_FALSE(p.RestorePreset(1));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 0);
}

TEST(Presets, DumpsWriteSourceTextAndFailWithoutAFile)
{
  StatePlug p(2);
  p.GetParam(kGain)->Set(6.0);
  p.GetParam(kFreq)->Set(2000.0);
  p.GetParam(kCount)->Set(1.0);
  p.GetParam(kMode)->Set(2.0);
  p.GetParam(kOn)->Set(0.7);
  const char* const names[] = {"kGain", "kFreq", "kCount", "kMode", "kOn"};
  const std::string src = TempPath("presetsrc");
  ASSERT_TRUE(p.DumpPresetSrcCode(src.c_str(), names));
  EXPECT_EQ(ReadFile(src), "  MakePresetFromNamedParams(\"name\", 5,\n"
                           "    kGain, 6.000000,\n"
                           "    kFreq, 2000.000000,\n"
                           "    kCount, 1,\n"
                           "    kMode, 2,\n"
                           "    kOn, true);\n");
  remove(src.c_str());

  p.MakePresetFromBlob("blob", "AAECAwQF", 6);
  const std::string blob = TempPath("presetblob");
  ASSERT_TRUE(p.DumpPresetBlob(blob.c_str()));
  EXPECT_EQ(ReadFile(blob), "MakePresetFromBlob(\"name\", \"AAECAwQF\", 6);\n");
  remove(blob.c_str());

  // A whole parameter chunk survives the blob text.
  p.ModifyCurrentPreset();
  ASSERT_TRUE(p.DumpPresetBlob(blob.c_str()));
  const std::string text = ReadFile(blob);
  remove(blob.c_str());
  const size_t start = text.find(", \"") + 3;
  const std::string encoded = text.substr(start, text.find('"', start) - start);
  EXPECT_EQ(encoded.size(), 56u);
  EXPECT_EQ(text.substr(text.size() - 8), "\", 40);\n");
  p.MakePresetFromBlob("again", encoded.c_str(), 40);
  EXPECT_TRUE(p.Preset(1)->mChunk.IsEqual(&p.Preset(0)->mChunk));

  const char* const bad = "/nonexistent-directory/preset.txt";
  EXPECT_FALSE(p.DumpPresetSrcCode(bad, names));
  EXPECT_FALSE(p.DumpPresetBlob(bad));
  EXPECT_FALSE(p.DumpPresetSrcCode(src.c_str(), nullptr));
  StatePlug none; // no current preset to dump
  EXPECT_FALSE(none.DumpPresetBlob(blob.c_str()));
  EXPECT_EQ(access(blob.c_str(), F_OK), -1);
}
