// Every way a command line or an input file can be wrong: exit status 2, one line on
// stderr naming the problem, nothing on stdout, and the directory as it was (no output
// written, an existing output untouched, no temporary file left).

#include "tests/tools/CliHarness.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace
{
struct BadCase
{
  std::vector<std::string> args; // {IN}, {OUT} and {DIR} stand for paths in the test directory
  std::string message;           // part of the one stderr line
};

const std::vector<BadCase>& BadCases()
{
  static const std::vector<BadCase> cases = {
    {{}, "missing command"},
    {{"frob"}, "unknown command 'frob'"},
    {{"params", "extra"}, "takes no arguments"},
    {{"render"}, "needs an input and an output"},
    {{"render", "{IN}"}, "needs an input and an output"},
    {{"render", "{IN}", "{OUT}", "more"}, "unexpected argument 'more'"},
    {{"render", "{IN}", "{OUT}", "--frob"}, "unknown option '--frob'"},
    {{"render", "{IN}", "{OUT}", "-b", "4"}, "unknown option '-b'"},
    {{"render", "{IN}", "{OUT}", "--block"}, "--block needs a value"},
    {{"render", "{IN}", "{OUT}", "--block", "0"}, "block size '0'"},
    {{"render", "{IN}", "{OUT}", "--block", "65537"}, "block size '65537'"},
    {{"render", "{IN}", "{OUT}", "--block", "-1"}, "block size '-1'"},
    {{"render", "{IN}", "{OUT}", "--block", "12x"}, "block size '12x'"},
    {{"render", "{IN}", "{OUT}", "--block="}, "block size ''"},
    {{"render", "{IN}", "{OUT}", "--set"}, "--set needs a value"},
    {{"render", "{IN}", "{OUT}", "--set", "Rev. Phase"}, "NAME_OR_INDEX=VALUE"},
    {{"render", "{IN}", "{OUT}", "--set", "=1"}, "NAME_OR_INDEX=VALUE"},
    {{"render", "{IN}", "{OUT}", "--set", "Gain=1"}, "unknown parameter 'Gain'"},
    {{"render", "{IN}", "{OUT}", "--set", "input gain=1"}, "unknown parameter 'input gain'"},
    {{"render", "{IN}", "{OUT}", "--set", "40=1"}, "unknown parameter '40'"},
    {{"render", "{IN}", "{OUT}", "--set", "-1=1"}, "unknown parameter '-1'"},
    {{"render", "{IN}", "{OUT}", "--set", "Input Gain=abc"}, "value 'abc' for \"Input Gain\" is not a number"},
    {{"render", "{IN}", "{OUT}", "--set", "Input Gain="}, "is not a number"},
    {{"render", "{IN}", "{OUT}", "--set", "Input Gain=6dB"}, "is not a number"},
    {{"render", "{IN}", "{OUT}", "--set", "35=nan"}, "is not a finite number"},
    {{"render", "{IN}", "{OUT}", "--set", "Dyn. 1 Type=Opto"}, "nor one of \"VCA\", \"FET\", \"OPTO\", \"Expander\""},
    {{"render", "{IN}", "{OUT}", "--set", "Rev. Phase=yes"}, "nor one of \"off\", \"on\""},
    // A good setting before a bad one changes nothing either.
    {{"render", "{IN}", "{OUT}", "--set", "Input Gain=3", "--set", "Input Gain=x"}, "not a number"},
    {{"render", "{DIR}/missing.wav", "{OUT}"}, "cannot open"},
    {{"render", "{DIR}/sub", "{OUT}"}, "is a directory"},
    {{"render", "{DIR}/text.wav", "{OUT}"}, "is not a readable audio file"},
    {{"render", "{DIR}/three.wav", "{OUT}"}, "has 3 channels"},
    {{"render", "{DIR}/u8.wav", "{OUT}"}, "only WAV, AIFF or FLAC with 16/24-bit PCM or 32-bit float"},
    {{"render", "{DIR}/double.aiff", "{OUT}"}, "only WAV, AIFF or FLAC"},
    // Fails part-way through the render, with some output already written.
    {{"render", "{DIR}/corrupt.flac", "{OUT}"}, "cannot read"},
    {{"render", "{IN}", "{DIR}/none/out.wav"}, "cannot write"},
    {{"render", "{IN}", "{DIR}/sub"}, "names a directory"},
    {{"render", "{IN}", "{DIR}/new/"}, "names a directory"},
    {{"render", "{IN}", ""}, "cannot write ''"},
    {{"demo"}, "needs a directory"},
    {{"demo", "{DIR}/d", "more"}, "unexpected argument 'more'"},
    {{"demo", "{DIR}/text.wav"}, "cannot create directory"},
  };
  return cases;
}

std::string Expand(std::string arg, const std::string& dir)
{
  for (const auto& [token, value] : {std::pair<std::string, std::string>{"{IN}", dir + "/in.wav"},
                                     {"{OUT}", dir + "/out.wav"},
                                     {"{DIR}", dir}})
    for (size_t at; (at = arg.find(token)) != std::string::npos;) arg.replace(at, token.size(), value);
  return arg;
}
} // namespace

class BadInput : public CliTest
{
protected:
  void SetUp() override
  {
    CliTest::SetUp();
    WriteAudio(Path("in.wav"), TestSignal(44100, 2, 600));
    WriteBytes(Path("text.wav"), "RIFF? no, just a text file\n");
    std::filesystem::create_directory(Path("sub"));
    WriteAudio(Path("three.wav"), TestSignal(44100, 3, 100));
    Audio u8 = TestSignal(8000, 1, 100);
    u8.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    WriteAudio(Path("u8.wav"), u8);
    Audio dbl = TestSignal(8000, 1, 100);
    dbl.format = SF_FORMAT_AIFF | SF_FORMAT_DOUBLE;
    WriteAudio(Path("double.aiff"), dbl);
    Audio flac = TestSignal(44100, 2, 20000);
    flac.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    WriteAudio(Path("corrupt.flac"), flac);
    std::string bytes = ReadBytes(Path("corrupt.flac"));
    bytes.replace(bytes.size() / 2, 2000, 2000, '\xff');
    WriteBytes(Path("corrupt.flac"), bytes);
  }

  void ExpectRejected(const BadCase& c)
  {
    const std::vector<std::string> before = ListDir(Dir());
    const std::string outBefore = ReadBytes(Path("out.wav"));
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(Expand(a, Dir()));

    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.back(), '\n');
    EXPECT_EQ(r.err.rfind("ostrakon: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(ListDir(Dir()), before);
    EXPECT_EQ(ReadBytes(Path("out.wav")), outBefore);
  }
};

TEST_F(BadInput, LeavesNoOutputBehind)
{
  for (const BadCase& c : BadCases())
  {
    SCOPED_TRACE(c.message);
    ExpectRejected(c);
  }
}

TEST_F(BadInput, LeavesAnExistingOutputUntouched)
{
  WriteBytes(Path("out.wav"), "the previous render");
  for (const BadCase& c : BadCases())
  {
    SCOPED_TRACE(c.message);
    ExpectRejected(c);
  }
  EXPECT_EQ(ReadBytes(Path("out.wav")), "the previous render");
}

TEST_F(BadInput, UnreadableFileIsNamed)
{
  if (geteuid() == 0) GTEST_SKIP() << "root reads any file";
  chmod(Path("in.wav").c_str(), 0);
  ExpectRejected({{"render", "{IN}", "{OUT}"}, "cannot open"});
}

TEST(Usage, HelpIsNoError)
{
  for (const char* help : {"--help", "-h", "help"})
  {
    const CliResult r = RunCli({help});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("usage: ostrakon params\n", 0), 0u) << r.out;
  }
}
