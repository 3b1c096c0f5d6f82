// Every way a command line or an input file can be wrong: exit status 2, one line on
// stderr naming the problem, nothing on stdout, and the directory as it was (no output
// written, an existing output untouched, no temporary file left).

#include "tests/tools/CliHarness.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace
{
struct BadCase
{
  std::vector<std::string> args; // "@" starts a path in the test directory
  std::string message;           // part of the stderr line
};

const BadCase kBadCases[] = {
  {{}, "missing command"},
  {{"frob"}, "unknown command 'frob'"},
  {{"params", "extra"}, "takes no arguments"},
  {{"render"}, "needs an input and an output"},
  {{"render", "@in.wav"}, "needs an input and an output"},
  {{"render", "@in.wav", "@out.wav", "more"}, "unexpected argument 'more'"},
  {{"render", "@in.wav", "@out.wav", "--frob"}, "unknown option '--frob'"},
  {{"render", "@in.wav", "@out.wav", "--block"}, "--block needs a value"},
  {{"render", "@in.wav", "@out.wav", "--block", "0"}, "block size '0'"},
  {{"render", "@in.wav", "@out.wav", "--block", "65537"}, "block size '65537'"},
  {{"render", "@in.wav", "@out.wav", "--block", "-1"}, "block size '-1'"},
  {{"render", "@in.wav", "@out.wav", "--block=12x"}, "block size '12x'"},
  {{"render", "@in.wav", "@out.wav", "--set"}, "--set needs a value"},
  {{"render", "@in.wav", "@out.wav", "--set", "Rev. Phase"}, "NAME_OR_INDEX=VALUE"},
  {{"render", "@in.wav", "@out.wav", "--set", "=1"}, "NAME_OR_INDEX=VALUE"},
  {{"render", "@in.wav", "@out.wav", "--set", "input gain=1"}, "unknown parameter 'input gain'"},
  {{"render", "@in.wav", "@out.wav", "--set", "40=1"}, "unknown parameter '40'"},
  {{"render", "@in.wav", "@out.wav", "--set", "-1=1"}, "unknown parameter '-1'"},
  {{"render", "@in.wav", "@out.wav", "--set", "Input Gain=6dB"}, "value '6dB' for \"Input Gain\" is not a number"},
  {{"render", "@in.wav", "@out.wav", "--set", "Input Gain="}, "is not a number"},
  {{"render", "@in.wav", "@out.wav", "--set", "35=nan"}, "is not a finite number"},
  {{"render", "@in.wav", "@out.wav", "--set", "Dyn. 1 Type=Opto"}, "nor one of \"VCA\", \"FET\", \"OPTO\", \"Expander\""},
  {{"render", "@in.wav", "@out.wav", "--set", "Rev. Phase=yes"}, "nor one of \"off\", \"on\""},
  {{"render", "@in.wav", "@out.wav", "--set", "Input Gain=3", "--set", "Input Gain=x"}, "not a number"},
  {{"render", "@missing.wav", "@out.wav"}, "cannot open"},
  {{"render", "@sub", "@out.wav"}, "is a directory"},
  {{"render", "@text.wav", "@out.wav"}, "text.wav' is not a WAV, AIFF or FLAC file"},
  // Recognised from their first bytes, so no decoder of the audio library runs on them.
  {{"render", "@raw.wav", "@out.wav"}, "raw.wav' is not a WAV, AIFF or FLAC file"},
  {{"render", "@vorbis.wav", "@out.wav"}, "vorbis.wav' is an Ogg file; only WAV, AIFF or FLAC files can be read"},
  {{"render", "@broken.ogg", "@out.wav"}, "broken.ogg' is an Ogg file"},
  {{"render", "@tagged.mp3", "@out.wav"}, "tagged.mp3' is an MPEG audio file"},
  {{"render", "@gsm.wav", "@out.wav"}, "gsm.wav' is WAV with GSM 6.10 samples; only WAV, AIFF or FLAC with"},
  {{"render", "@no-fmt.wav", "@out.wav"}, "no-fmt.wav' has a damaged WAV header"},
  {{"render", "@no-data.wav", "@out.wav"}, "no-data.wav' is not a readable audio file"},
  {{"render", "@zero.wav", "@out.wav"}, "zero.wav' is empty, not an audio file"},
  {{"render", "@1hz.wav", "@out.wav"}, "1hz.wav' has a sample rate of 1 Hz; the strip runs at 8000 to 768000 Hz"},
  {{"render", "@7999hz.wav", "@out.wav"}, "has a sample rate of 7999 Hz"},
  {{"render", "@768001hz.wav", "@out.wav"}, "has a sample rate of 768001 Hz"},
  {{"render", "@huge-rate.wav", "@out.wav"}, "has a sample rate of 2130802432 Hz"},
  {{"render", "@three.wav", "@out.wav"}, "has 3 channels"},
  {{"render", "@u8.wav", "@out.wav"}, "only WAV, AIFF or FLAC with 16/24-bit PCM or 32-bit float"},
  {{"render", "@double.aiff", "@out.wav"}, "only WAV, AIFF or FLAC"},
  // Fails part-way through, with some of the output already written.
  {{"render", "@corrupt.flac", "@out.wav"}, "cannot read"},
  {{"render", "@in.wav", "@none/out.wav"}, "No such file or directory"},
  {{"render", "@in.wav", "@sub"}, "names a directory"},
  {{"render", "@in.wav", "@new/"}, "names a directory"},
  {{"render", "@in.wav", ""}, "no file name given"},
  {{"demo"}, "needs a directory"},
  {{"demo", "@d", "more"}, "unexpected argument 'more'"},
  {{"demo", "@text.wav"}, "cannot create directory"},
  {{"info", "extra"}, "'info' takes no arguments"},
  {{"preset"}, "'preset' needs a command"},
  {{"preset", "frob"}, "unknown preset command 'frob'"},
  {{"preset", "show"}, "'preset show' needs a file"},
  {{"preset", "show", "@good.aupreset", "more"}, "unexpected argument 'more'"},
  {{"preset", "show", "@missing.aupreset"}, "cannot open preset"},
  {{"preset", "show", "@sub"}, "is a directory, not a preset"},
  {{"render", "@in.wav", "@out.wav", "--preset"}, "--preset needs a value"},
  {{"render", "@in.wav", "@out.wav", "--preset="}, "--preset needs a file name"},
  {{"render", "@in.wav", "@out.wav", "--save-preset="}, "--save-preset needs a file name"},
  // Presets that are refused: nothing is rendered and no preset is saved.
  {{"render", "@in.wav", "@out.wav", "--preset", "@text.wav", "--save-preset", "@p.aupreset"},
   "text.wav' is not a property list"},
  {{"render", "@in.wav", "@out.wav", "--preset", "@empty.aupreset"}, "is not a property list"},
  {{"render", "@in.wav", "@out.wav", "--preset", "@bplist.aupreset"}, "is not a property list"},
  {{"render", "@in.wav", "@out.wav", "--preset", "@array.aupreset"}, "its property list is not a dictionary"},
  {{"render", "@in.wav", "@out.wav", "--preset", "@deep.aupreset"},
   "deep.aupreset' is not a property list: it nests deeper than 64 levels"},
  {{"preset", "show", "@nul-name.aupreset"}, "nul-name.aupreset' is not a property list: it holds a NUL character"},
  {{"preset", "show", "@nul-key.aupreset"}, "is not a property list: it holds a NUL character"},
  {{"render", "@in.wav", "@out.wav", "--preset", "@no-data.aupreset"}, "it lacks the key \"data\""},
  {{"render", "@in.wav", "@out.wav", "--preset", "@no-version.aupreset"}, "it lacks the key \"version\""},
  {{"preset", "show", "@no-manufacturer.aupreset"}, "it lacks the key \"manufacturer\""},
  {{"preset", "show", "@no-name.aupreset"}, "it lacks the key \"name\""},
  {{"render", "@in.wav", "@out.wav", "--preset", "@text-data.aupreset"}, "its \"data\" is not data"},
  {{"preset", "show", "@number-name.aupreset"}, "its \"name\" is not a string"},
  {{"preset", "show", "@wide-type.aupreset"}, "its \"type\" is not a 32-bit integer"},
  {{"render", "@in.wav", "@out.wav", "--preset", "@foreign.aupreset"},
   "foreign.aupreset' is a preset of another component (aufx Vxq7 ABCD, not aufx Vxq7 Qrro)"},
  {{"preset", "show", "@foreign.aupreset"}, "is a preset of another component"},
  // A preset that cannot be saved stops the render before it starts, and one that was
  // to be saved with a failed render is not left behind.
  {{"render", "@in.wav", "@out.wav", "--save-preset", "@sub"}, "names a directory"},
  {{"render", "@in.wav", "@out.wav", "--save-preset", "@none/p.aupreset"}, "No such file or directory"},
  {{"render", "@corrupt.flac", "@out.wav", "--save-preset", "@p.aupreset"}, "cannot read"},
};

// A 16-bit PCM WAV header declaring rate, with a little audio after it.
std::string WavAt(uint32_t rate)
{
  auto le = [](uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += (char) (v >> (8 * i) & 0xFF);
    return s;
  };
  const std::string data(400, '\x11');
  const std::string fmt = le(1, 2) + le(2, 2) + le(rate, 4) + le(rate * 4u, 4) + le(4, 2) + le(16, 2);
  const std::string body = "WAVEfmt " + le((uint32_t) fmt.size(), 4) + fmt + "data" + le((uint32_t) data.size(), 4) + data;
  return "RIFF" + le((uint32_t) body.size(), 4) + body;
}

// A preset of the strip with one key left out or given another value.
std::string PresetXML(const std::string& key = "", const std::string& value = "")
{
  const std::pair<std::string, std::string> entries[] = {
    {"data", "<data>AAAAAAAA8D8=</data>"},         {"manufacturer", "<integer>1366454895</integer>"},
    {"name", "<string>a name</string>"},           {"subtype", "<integer>1450733879</integer>"},
    {"type", "<integer>1635083896</integer>"},     {"version", "<integer>131074</integer>"},
  };
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
  for (const auto& e : entries)
  {
    const std::string& v = e.first == key ? value : e.second;
    if (!v.empty()) xml += "\t<key>" + e.first + "</key>\n\t" + v + "\n";
  }
  return xml + "</dict>\n</plist>\n";
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
    Audio other = TestSignal(8000, 1, 100);
    other.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    WriteAudio(Path("u8.wav"), other);
    other.format = SF_FORMAT_AIFF | SF_FORMAT_DOUBLE;
    WriteAudio(Path("double.aiff"), other);
    Audio flac = TestSignal(44100, 2, 20000);
    flac.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    WriteAudio(Path("corrupt.flac"), flac);
    std::string bytes = ReadBytes(Path("corrupt.flac"));
    bytes.replace(bytes.size() / 2, 2000, 2000, '\xff');
    WriteBytes(Path("corrupt.flac"), bytes);

    std::string raw;
    for (int i = 0; i < 20000; ++i) raw += (char) ((i * 7919 + 13) % 251);
    WriteBytes(Path("raw.wav"), raw);
    Audio vorbis = TestSignal(44100, 2, 4000);
    vorbis.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    WriteAudio(Path("vorbis.wav"), vorbis);
    std::string ogg = ReadBytes(Path("vorbis.wav"));
    ASSERT_GT(ogg.size(), 200u);
    ogg.replace(100, 50, 50, '\x5a');
    WriteBytes(Path("broken.ogg"), ogg);
    WriteBytes(Path("tagged.mp3"), std::string("ID3\x04\0\0\0\0\0\x10", 10) + std::string(16, '\0') + "\xff\xfb\x90\x64" + raw);
    Audio gsm = TestSignal(8000, 1, 2000);
    gsm.format = SF_FORMAT_WAV | SF_FORMAT_GSM610;
    WriteAudio(Path("gsm.wav"), gsm);
    const std::string wav = WavAt(44100);
    WriteBytes(Path("no-fmt.wav"), wav.substr(0, 12) + std::string("LIST\4\0\0\0abcd", 12) + wav.substr(36));
    WriteBytes(Path("no-data.wav"), wav.substr(0, 36));
    WriteBytes(Path("zero.wav"), "");
    WriteBytes(Path("1hz.wav"), WavAt(1));
    WriteBytes(Path("7999hz.wav"), WavAt(7999));
    WriteBytes(Path("768001hz.wav"), WavAt(768001));
    WriteBytes(Path("huge-rate.wav"), WavAt(2130802432u));
    std::string nest;
    for (int i = 0; i < 200000; ++i) nest += "<array>";
    for (int i = 0; i < 200000; ++i) nest += "</array>";
    WriteBytes(Path("deep.aupreset"), PresetXML("version", nest));
    WriteBytes(Path("nul-name.aupreset"), PresetXML("name", std::string("<string>a\0b</string>", 20)));
    WriteBytes(Path("nul-key.aupreset"), PresetXML("name", "<string>n</string><key>k&#0;</key><true/>"));

    WriteBytes(Path("good.aupreset"), PresetXML());
    WriteBytes(Path("empty.aupreset"), "");
    WriteBytes(Path("bplist.aupreset"), "bplist00 and then nothing of the kind");
    WriteBytes(Path("array.aupreset"), "<plist version=\"1.0\"><array><integer>1</integer></array></plist>");
    for (const char* key : {"data", "version", "manufacturer", "name"})
      WriteBytes(Path(std::string("no-") + key + ".aupreset"), PresetXML(key));
    WriteBytes(Path("text-data.aupreset"), PresetXML("data", "<string>AAAA</string>"));
    WriteBytes(Path("number-name.aupreset"), PresetXML("name", "<integer>7</integer>"));
    WriteBytes(Path("wide-type.aupreset"), PresetXML("type", "<integer>4294967296</integer>"));
    WriteBytes(Path("foreign.aupreset"), PresetXML("manufacturer", "<integer>1094861636</integer>"));
  }

  void ExpectRejected(const BadCase& c)
  {
    SCOPED_TRACE(c.message);
    const std::vector<std::string> before = ListDir(Dir());
    const std::string outBefore = ReadBytes(Path("out.wav"));
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(a[0] == '@' ? Path(a.substr(1)) : a);

    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("ostrakon: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.back(), '\n');
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(ListDir(Dir()), before);
    EXPECT_EQ(ReadBytes(Path("out.wav")), outBefore);
  }
};

TEST_F(BadInput, LeavesNoOutputAndAnExistingOutputUntouched)
{
  for (const BadCase& c : kBadCases) ExpectRejected(c);
  WriteBytes(Path("out.wav"), "the previous render");
  for (const BadCase& c : kBadCases) ExpectRejected(c);
}

TEST_F(BadInput, UnreadableFile)
{
  if (geteuid() == 0) GTEST_SKIP() << "root reads any file";
  chmod(Path("in.wav").c_str(), 0);
  ExpectRejected({{"render", "@in.wav", "@out.wav"}, "Permission denied"});
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
