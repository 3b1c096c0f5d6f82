// `ostrakon render` end to end: what reaches the output file in every input format and
// block size, and how --set values are read.

#include "IPlug/IParam.h"
#include "tests/tools/CliHarness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <thread>

namespace
{
std::vector<std::string> Cat(std::vector<std::string> a, const std::vector<std::string>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// With "Rev. Phase" on and every gain at 0 dB: the negated input plus the 1e-24 denormal
// guard, rounded back to float; a non-finite sample is processed as 0.
void ExpectPhaseReversed(const Audio& in, const Audio& out)
{
  ASSERT_EQ(out.rate, in.rate);
  ASSERT_EQ(out.channels, in.channels);
  EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  ASSERT_EQ(out.samples.size(), in.samples.size());
  for (size_t i = 0; i < in.samples.size(); ++i)
  {
    const float x = in.samples[i];
    ASSERT_EQ(out.samples[i], (float) (-(std::isfinite(x) ? (double) x : 0.0) + 1e-24)) << i;
  }
}

const std::vector<std::string> kReversed = Cat({"--set", "Rev. Phase=on"}, StagesOff());
} // namespace

class Render : public CliTest
{
protected:
  Audio RenderTo(const std::string& out, const std::vector<std::string>& options)
  {
    const CliResult r = RunCli(Cat({"render", Path("in.wav"), Path(out)}, options));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err + r.out, "");
    return ReadAudio(Path(out));
  }
};

TEST_F(Render, PhaseReverseAndInputGainOnStereoAndMonoFiles)
{
  Audio stereo = TestSignal(44100, 2, 3000);
  // Beyond the PCM range, tiny, and non-finite: a float file may hold any of them.
  stereo.samples[10] = 1.75f;
  stereo.samples[11] = 1e-30f;
  stereo.samples[12] = NAN;
  stereo.samples[13] = -INFINITY;
  WriteAudio(Path("in.wav"), stereo);
  ExpectPhaseReversed(stereo, RenderTo("stereo.wav", kReversed));

  // A mono file runs the strip's mono layout and comes out mono.
  const Audio mono = TestSignal(22050, 1, 2500);
  WriteAudio(Path("in.wav"), mono);
  ExpectPhaseReversed(mono, RenderTo("mono.wav", kReversed));

  const Audio out = RenderTo("gain.wav", Cat({"--set", "Input Gain=6"}, StagesOff()));
  ASSERT_EQ(out.samples.size(), mono.samples.size());
  IParam gain;
  gain.InitDouble("", 6.0, -60.0, 30.0, 0.1);
  for (size_t i = 0; i < mono.samples.size(); ++i)
  {
    const double want = mono.samples[i] * gain.DBToAmp();
    ASSERT_NEAR(out.samples[i], want, std::fabs(want) * 6e-8 + 2e-24) << i;
  }
}

TEST_F(Render, EveryInputFormatIsReadAsLibsndfileDecodesIt)
{
  const int cases[][3] = {
    {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2},  {SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1},
    {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 96000, 2},   {SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 32000, 1},
    {SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 44100, 2}, {SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 48000, 2},
    {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2}, {SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 88200, 1},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << std::hex << c[0] << std::dec << " " << c[1] << " Hz " << c[2]);
    Audio in = TestSignal(c[1], c[2], 1500);
    in.format = c[0];
    WriteAudio(Path("in.wav"), in);
    const Audio decoded = ReadAudio(Path("in.wav"));
    ASSERT_EQ(decoded.format, c[0]);
    ExpectPhaseReversed(decoded, RenderTo("out.wav", kReversed));
  }
}

TEST_F(Render, BlockSizeDoesNotChangeTheOutput)
{
  // Longer than one 4096-frame piece of the pipeline, and no multiple of any block.
  WriteAudio(Path("in.wav"), TestSignal(48000, 2, 10007));
  const std::vector<std::string> settings = Cat({"--set", "Input Gain=-3.5"}, kReversed);
  RenderTo("ref.wav", settings);
  const std::string ref = ReadBytes(Path("ref.wav"));
  ASSERT_FALSE(ref.empty());
  // No time-stamped peak chunk, so equal renders are equal files.
  EXPECT_EQ(ref.find("PEAK"), std::string::npos);
  for (const char* block : {"--block=1", "--block=7", "--block=512", "--block=4096", "--block=4097", "--block=65536"})
  {
    RenderTo("out.wav", Cat({block}, settings));
    EXPECT_TRUE(ReadBytes(Path("out.wav")) == ref) << block;
  }
  RenderTo("out.wav", Cat({"--block", "7"}, settings));
  EXPECT_TRUE(ReadBytes(Path("out.wav")) == ref);
}

TEST_F(Render, SettingsAreReadByNameIndexOrTextClampedAndAppliedInOrder)
{
  WriteAudio(Path("in.wav"), TestSignal(44100, 2, 1200));
  auto render = [this](const std::vector<std::string>& settings) {
    RenderTo("out.wav", Cat(settings, StagesOff()));
    return ReadBytes(Path("out.wav"));
  };
  const std::string reversed = render({"--set", "Rev. Phase=on"});
  EXPECT_EQ(render({"--set", "38=1"}), reversed);
  EXPECT_EQ(render({"--set=Rev. Phase=0.7"}), reversed); // a switch is on from 0.5
  EXPECT_NE(render({"--set", "Rev. Phase=off"}), reversed);

  EXPECT_EQ(render({"--set", "Input Gain=100"}), render({"--set", "Input Gain=30"}));
  EXPECT_EQ(render({"--set", "35=-1000"}), render({"--set", "Input Gain=-60"}));
  EXPECT_EQ(render({"--set", "Input Gain=6", "--set", "Input Gain=0"}), render({}));
  render({"--set", "Dyn. 1 Type=FET", "--set", "Dyn. 1 Attack=0.5", "--set", "Routing=Eq -> Dyn1 -> Dyn2"});
}

TEST_F(Render, DefaultsInPlaceAndEmptyFiles)
{
  const Audio in = TestSignal(48000, 2, 5000);
  WriteAudio(Path("in.wav"), in);
  WriteBytes(Path("out.wav"), "an older file");
  const Audio out = RenderTo("out.wav", {});
  ASSERT_EQ(out.samples.size(), in.samples.size());
  for (float x : out.samples) ASSERT_TRUE(std::isfinite(x));

  // In place: the input is read in full before it is replaced; no temporary file stays.
  ExpectPhaseReversed(in, RenderTo("in.wav", kReversed));
  EXPECT_EQ(ListDir(Dir()), (std::vector<std::string>{"in.wav", "out.wav"}));

  WriteAudio(Path("in.wav"), TestSignal(44100, 1, 0));
  const Audio empty = RenderTo("empty.wav", {});
  EXPECT_EQ(empty.rate, 44100);
  EXPECT_EQ(empty.channels, 1);
  EXPECT_EQ(empty.Frames(), 0);
}

TEST_F(Render, AnalogueTimeMakesTheColourRepeatable)
{
  WriteAudio(Path("in.wav"), TestSignal(48000, 2, 6000));
  // Every stage on, the analogue colour included: only the tolerances vary.
  const std::vector<std::string> t1 = {"--analogue-time", "1000000000"};
  const std::string a = (RenderTo("a.wav", t1), ReadBytes(Path("a.wav")));
  const std::string b = (RenderTo("b.wav", {"--analogue-time=1000000000"}), ReadBytes(Path("b.wav")));
  const std::string c = (RenderTo("c.wav", {"--analogue-time", "1000000007"}), ReadBytes(Path("c.wav")));
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);

  for (const char* bad : {"soon", "12.5", "", "1e9", "--"})
  {
    const CliResult r = RunCli({"render", Path("in.wav"), Path("bad.wav"), "--analogue-time", bad});
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_FALSE(r.err.empty());
  }
}

TEST_F(Render, EveryOutputSampleIsFiniteAtTheEdgesOfTheSupportedRates)
{
  // Absurd and non-finite input, every gain up, a high-shelf boost and both compressors
  // oversampling: whatever the stages make of it, the file holds finite samples only.
  const std::vector<std::string> hot = {"--set", "Input Gain=30", "--set", "Output Gain=30", "--set",
                                        "Hi Shelf Gain=12", "--set", "Oversampling=on", "--set",
                                        "Dyn. 2 Type=OPTO", "--set", "Dyn. 1 Thresh.=-60", "--set",
                                        "Dyn. 1 Ratio=20", "--set", "Analogue On/Off=off"};
  for (int rate : {8000, 11025, 768000})
  {
    SCOPED_TRACE(rate);
    Audio in = TestSignal(rate, 2, 6000);
    for (size_t i = 1000; i < 1400; ++i) in.samples[i] = i % 2 ? 3.4e38f : -3.4e38f;
    in.samples[2000] = NAN;
    in.samples[2001] = INFINITY;
    WriteAudio(Path("in.wav"), in);
    for (const auto& settings : {std::vector<std::string>{}, hot})
    {
      const Audio out = RenderTo("out.wav", settings);
      ASSERT_EQ(out.rate, rate);
      ASSERT_EQ(out.samples.size(), in.samples.size());
      for (size_t i = 0; i < out.samples.size(); ++i) ASSERT_TRUE(std::isfinite(out.samples[i])) << i;
    }
  }
}

TEST_F(Render, InputFromAPipeIsReadAsFromAFile)
{
  const Audio in = TestSignal(48000, 2, 3000);
  WriteAudio(Path("in.wav"), in);
  const std::string bytes = ReadBytes(Path("in.wav"));
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
  // The writer waits, within a bound, for the renderer to open the other end.
  std::thread writer([&] {
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 1000; ++tries)
    {
      fd = open(Path("pipe").c_str(), O_WRONLY | O_NONBLOCK);
      if (fd < 0) usleep(10000);
    }
    if (fd < 0) return;
    fcntl(fd, F_SETFL, 0);
    for (size_t done = 0; done < bytes.size();)
    {
      const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += (size_t) n;
    }
    close(fd);
  });
  const CliResult r = RunCli(Cat({"render", Path("pipe"), Path("out.wav")}, kReversed));
  writer.join();
  EXPECT_EQ(r.status, 0) << r.err;
  ExpectPhaseReversed(in, ReadAudio(Path("out.wav")));
}
