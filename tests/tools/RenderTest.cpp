// `ostrakon render` end to end: what reaches the output file, in every input format and
// block size, and how --set values are read.

#include "IPlug/IParam.h"
#include "tests/tools/CliHarness.h"

#include <cmath>

namespace
{
// What the strip makes of a sample with "Rev. Phase" on and every gain at 0 dB: the
// negated input plus the 1e-24 denormal guard, rounded back to float. A non-finite
// input sample is processed as 0.
float PhaseReversed(float x) { return (float) (-(std::isfinite(x) ? (double) x : 0.0) + 1e-24); }

double DBToAmp(double dB)
{
  IParam p;
  p.InitDouble("", 0.0, -100.0, 100.0, 0.1);
  p.Set(dB);
  return p.DBToAmp();
}

std::vector<std::string> Args(std::vector<std::string> head, const std::vector<std::string>& tail)
{
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

void ExpectPhaseReversed(const Audio& in, const Audio& out)
{
  ASSERT_EQ(out.rate, in.rate);
  ASSERT_EQ(out.channels, in.channels);
  EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  ASSERT_EQ(out.samples.size(), in.samples.size());
  for (size_t i = 0; i < in.samples.size(); ++i)
    ASSERT_EQ(out.samples[i], PhaseReversed(in.samples[i])) << "sample " << i << " of " << in.samples[i];
}
} // namespace

class Render : public CliTest
{
protected:
  // Renders IN to a new file with the given options; returns the output.
  Audio RenderTo(const std::string& out, const std::vector<std::string>& options)
  {
    const CliResult r = RunCli(Args({"render", Path("in.wav"), Path(out)}, options));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    return ReadAudio(Path(out));
  }
};

TEST_F(Render, StereoAndMonoWithPhaseReverseGiveTheNegatedInputPlusTheOffset)
{
  Audio stereo = TestSignal(44100, 2, 3000);
  // Values a float file may hold beyond the PCM range, and non-finite ones.
  stereo.samples[10] = 1.75f;
  stereo.samples[11] = 1e-30f;
  stereo.samples[12] = NAN;
  stereo.samples[13] = -INFINITY;
  WriteAudio(Path("in.wav"), stereo);
  ExpectPhaseReversed(stereo, RenderTo("stereo.wav", Args({"--set", "Rev. Phase=on"}, StagesOff())));

  // A mono file runs the strip's mono layout and comes out mono.
  const Audio mono = TestSignal(22050, 1, 2500);
  WriteAudio(Path("in.wav"), mono);
  ExpectPhaseReversed(mono, RenderTo("mono.wav", Args({"--set", "Rev. Phase=on"}, StagesOff())));
}

TEST_F(Render, InputGainScalesByItsDecibelFactor)
{
  const Audio in = TestSignal(48000, 2, 2000);
  WriteAudio(Path("in.wav"), in);
  const Audio out = RenderTo("out.wav", Args({"--set", "Input Gain=6"}, StagesOff()));
  ASSERT_EQ(out.samples.size(), in.samples.size());
  const double g = DBToAmp(6.0);
  for (size_t i = 0; i < in.samples.size(); ++i)
  {
    const double want = in.samples[i] * g;
    ASSERT_NEAR(out.samples[i], want, std::fabs(want) * 6e-8 + 2e-24) << "sample " << i;
  }
}

TEST_F(Render, EveryInputFormatIsReadAsLibsndfileDecodesIt)
{
  struct Case
  {
    int format, rate, channels;
  };
  const Case cases[] = {
    {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2},  {SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1},
    {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 96000, 2},   {SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 32000, 1},
    {SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 44100, 2}, {SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 48000, 2},
    {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2}, {SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 88200, 1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << std::hex << c.format << std::dec << ", " << c.rate << " Hz, "
                                    << c.channels << " channels");
    Audio in = TestSignal(c.rate, c.channels, 1500);
    in.format = c.format;
    WriteAudio(Path("in.wav"), in);
    const Audio decoded = ReadAudio(Path("in.wav"));
    ASSERT_EQ(decoded.format, c.format);
    ExpectPhaseReversed(decoded, RenderTo("out.wav", Args({"--set", "Rev. Phase=on"}, StagesOff())));
  }
}

TEST_F(Render, BlockSizeDoesNotChangeTheOutput)
{
  // Longer than one 4096-frame piece of the pipeline, and no multiple of any block.
  WriteAudio(Path("in.wav"), TestSignal(48000, 2, 10007));
  const std::vector<std::string> settings =
    Args({"--set", "Input Gain=-3.5", "--set", "Rev. Phase=on"}, StagesOff());
  RenderTo("ref.wav", settings);
  const std::string ref = ReadBytes(Path("ref.wav"));
  ASSERT_FALSE(ref.empty());
  // No time-stamped peak chunk, so equal renders are equal files.
  EXPECT_EQ(ref.find("PEAK"), std::string::npos);
  for (const char* block : {"1", "7", "512", "4096", "4097", "65536"})
  {
    SCOPED_TRACE(block);
    RenderTo("out.wav", Args({"--block", block}, settings));
    EXPECT_TRUE(ReadBytes(Path("out.wav")) == ref);
  }
  RenderTo("out.wav", Args({"--block=7"}, settings));
  EXPECT_TRUE(ReadBytes(Path("out.wav")) == ref);
}

TEST_F(Render, SettingsAreReadByNameIndexOrTextClampedAndAppliedInOrder)
{
  WriteAudio(Path("in.wav"), TestSignal(44100, 2, 1200));
  auto render = [this](const std::vector<std::string>& settings) {
    RenderTo("out.wav", Args(settings, StagesOff()));
    return ReadBytes(Path("out.wav"));
  };
  const std::string reversed = render({"--set", "Rev. Phase=on"});
  EXPECT_EQ(render({"--set", "38=1"}), reversed);
  EXPECT_EQ(render({"--set=Rev. Phase=0.7"}), reversed); // a switch is on from 0.5
  EXPECT_NE(render({"--set", "Rev. Phase=off"}), reversed);

  EXPECT_EQ(render({"--set", "Input Gain=100"}), render({"--set", "Input Gain=30"}));
  EXPECT_EQ(render({"--set", "35=-1000"}), render({"--set", "Input Gain=-60"}));
  EXPECT_EQ(render({"--set", "Input Gain=6", "--set", "Input Gain=0"}), render({}));

  // A list takes its display texts; the type moves the attack range the next value is
  // clamped into.
  render({"--set", "Dyn. 1 Type=FET", "--set", "Dyn. 1 Attack=0.5", "--set", "Routing=Eq -> Dyn1 -> Dyn2"});
}

TEST_F(Render, DefaultsRenderEveryFrameAndReplaceAnExistingOutput)
{
  const Audio in = TestSignal(48000, 2, 5000);
  WriteAudio(Path("in.wav"), in);
  WriteBytes(Path("out.wav"), "an older file");
  const Audio out = RenderTo("out.wav", {});
  ASSERT_EQ(out.samples.size(), in.samples.size());
  for (float x : out.samples) ASSERT_TRUE(std::isfinite(x));

  // In place: the input is read in full before it is replaced.
  const CliResult r = RunCli(Args({"render", Path("in.wav"), Path("in.wav"), "--set", "Rev. Phase=on"}, StagesOff()));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectPhaseReversed(in, ReadAudio(Path("in.wav")));
  EXPECT_EQ(ListDir(Dir()), (std::vector<std::string>{"in.wav", "out.wav"}));

  // An empty file gives an empty render.
  WriteAudio(Path("in.wav"), TestSignal(44100, 1, 0));
  const Audio empty = RenderTo("empty.wav", {});
  EXPECT_EQ(empty.rate, 44100);
  EXPECT_EQ(empty.channels, 1);
  EXPECT_EQ(empty.Frames(), 0);
}
