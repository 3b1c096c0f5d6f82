// Whole-strip renders pinned to the bit: a hash of every output sample for a handful of
// settings, mono and stereo, several rates and block sizes, every dynamics type, the
// analogue colour at a fixed time. A change to any sample of any case fails here. The
// hashes were recorded from the renderer as it drove the plug-in base directly, before
// it became a host of the component.
//
// To regenerate after a deliberate change of the sound, run
//   OSTRAKON_REGENERATE_GOLDEN=1 build/tests/tools/ostrakon_cli_tests --gtest_filter='RenderGolden.*'
// and paste the printed lines over kCases' hashes.

#include "tests/tools/CliHarness.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
struct GoldenCase
{
  const char* name;
  int rate, channels, frames;
  std::vector<std::string> options;
  uint64_t hash;
};

// FNV-1a over the format and the bits of every sample.
uint64_t HashAudio(const Audio& a)
{
  uint64_t h = 1469598103934665603ull;
  auto add = [&h](const void* p, size_t n) {
    const unsigned char* b = (const unsigned char*) p;
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
  };
  const int64_t head[3] = {a.rate, a.channels, a.Frames()};
  add(head, sizeof head);
  for (float x : a.samples)
  {
    uint32_t bits;
    memcpy(&bits, &x, sizeof bits);
    add(&bits, sizeof bits);
  }
  return h;
}

const std::vector<GoldenCase> kCases = {
  {"stereo defaults", 44100, 2, 6000, {"--analogue-time", "1000000000"}, 0x544726e0ec26d67full},
  {"mono defaults",
   48000,
   1,
   5000,
   {"--analogue-time", "1000000000", "--block", "256"},
   0xd4fffe3b8cd99237ull},
  {"character",
   48000,
   2,
   7000,
   {"--analogue-time", "1767225600", "--set", "Routing=Eq -> Dyn1 -> Dyn2", "--set", "Hi Pass Freq.=80",
    "--set", "Hi Mid Freq.=2500", "--set", "Hi Mid Gain=4", "--set", "Hi Mid Q=1.5", "--set",
    "Dyn. 1 Type=FET", "--set", "Dyn. 1 Thresh.=-52", "--set", "Dyn. 1 Ratio=4", "--set",
    "Dyn. 1 Attack=0.25", "--set", "Dyn. 1 Release=300", "--set", "Input Gain=6", "--set", "Output Gain=-3"},
   0x18e87126ea11d7b3ull},
  {"opto and expander oversampled",
   96000,
   2,
   6000,
   {"--analogue-time", "1234567890", "--block", "100", "--set", "Dyn. 1 Type=OPTO", "--set",
    "Dyn. 1 Thresh.=-30", "--set", "Dyn. 1 Ratio=3", "--set", "Dyn. 2 Type=Expander", "--set",
    "Dyn. 2 Thresh.=-20", "--set", "Routing=2", "--set", "Oversampling=on", "--set", "Low Shelf Gain=5.5",
    "--set", "Filter Freq.=3000", "--set", "Filter Gain=-7.25", "--set", "Filter Q=2"},
   0xedd55cb633e417c0ull},
  {"mono vca one frame a block",
   44100,
   1,
   3000,
   {"--analogue-time", "1000000000", "--block", "1", "--set", "Analogue On/Off=off", "--set", "Rev. Phase=on",
    "--set", "Dyn. 2 Thresh.=-40", "--set", "Dyn. 2 Ratio=8", "--set", "Dyn. 2 Release=500", "--set",
    "Low Pass Freq.=6000", "--set", "Hi Pass Freq.=120"},
   0x1c55c235907b1295ull},
  {"clamped and by index",
   32000,
   2,
   4000,
   {"--analogue-time", "999", "--block", "4097", "--set", "35=100", "--set", "Output Gain=-1000", "--set",
    "Dyn. 1 On/Off=off", "--set", "Eq Input Gain=-2.5", "--set", "Dyn. 2 Type=FET", "--set",
    "Dyn. 2 Attack=1000"},
   0x92f697defad8bcc9ull},
  // Values spelled as the 32-bit floats nearest to 0.2, 4.1, 1.1 and -33.3.
  {"float values",
   48000,
   2,
   5000,
   {"--analogue-time", "1767225600", "--set", "Dyn. 1 Type=FET", "--set", "Dyn. 1 Attack=0.20000000298023224",
    "--set", "Dyn. 1 Thresh.=-52", "--set", "Hi Mid Gain=4.0999999046325684", "--set",
    "Input Gain=1.1000000238418579", "--set", "Dyn. 2 Thresh.=-33.299999237060547"},
   0xbfad5c47313caa62ull},
  // The same values in plain decimals. A host sends parameter values as 32-bit floats,
  // so these arrive as the floats above and render as those did.
  {"plain decimals",
   48000,
   2,
   5000,
   {"--analogue-time", "1767225600", "--set", "Dyn. 1 Type=FET", "--set", "Dyn. 1 Attack=0.2", "--set",
    "Dyn. 1 Thresh.=-52", "--set", "Hi Mid Gain=4.1", "--set", "Input Gain=1.1", "--set",
    "Dyn. 2 Thresh.=-33.3"},
   0xbfad5c47313caa62ull},
};
} // namespace

class RenderGolden : public CliTest
{
};

TEST_F(RenderGolden, EveryCaseRendersTheSameSamplesAsRecorded)
{
  const bool regenerate = getenv("OSTRAKON_REGENERATE_GOLDEN") != nullptr;
  for (const GoldenCase& c : kCases)
  {
    SCOPED_TRACE(c.name);
    WriteAudio(Path("in.wav"), TestSignal(c.rate, c.channels, c.frames));
    std::vector<std::string> args = {"render", Path("in.wav"), Path("out.wav")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio out = ReadAudio(Path("out.wav"));
    ASSERT_EQ(out.Frames(), c.frames);
    const uint64_t h = HashAudio(out);
    if (regenerate)
      printf("  %s: 0x%016llxull\n", c.name, (unsigned long long) h);
    else
      EXPECT_EQ(h, c.hash) << std::hex << "0x" << h;
  }
}
