// The editor in a real host: jalv.gtk3 embeds it (under an Xvfb and on a JACK server of
// the test's own, on the dummy driver). Its pixels are the editor's as the strip draws
// it without a window, with the values jalv set; a click and a drag through xdotool
// change the plug-in's ports, as jalv saves them; its meters move under a sine from a
// JACK client. jalv's console shows it in a window of its own.

#include "IPlug/IPlugLV2Ttl.h"
#include "engine/OstrakonLV2.h"
#include "engine/OstrakonParams.h"
#include "raster/Png.h"
#include "tests/lv2/JackServer.h"
#include "tests/lv2/LV2Tools.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

namespace
{
// Polls until check() holds or the bound passes.
template <class F>
bool WaitFor(F check, double seconds)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds((long long) (seconds * 1000));
  while (!check())
  {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

std::string ReadText(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// The last value jalv printed for a control output, or -1.
double LastPrinted(const std::string& log, const std::string& symbol)
{
  const std::regex line("(^|\\n)" + symbol + " = ([-0-9.]+)");
  double v = -1.0;
  for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
    v = std::stod((*it)[2].str());
  return v;
}

// Pixels of a that differ from b (of the same size); -1 when the sizes differ.
long DifferingPixels(const raster::Bitmap& a, const raster::Bitmap& b, int x0 = 0, int y0 = 0, int w = -1,
                     int h = -1)
{
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  if (w < 0) w = a.Width();
  if (h < 0) h = a.Height();
  long n = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if ((a.Bits()[y * a.RowSpan() + x] & 0xffffff) != (b.Bits()[y * b.RowSpan() + x] & 0xffffff)) ++n;
  return n;
}

// A virtual X server and a JACK server, each the test's own, and the environment of a
// host that uses them and finds the build tree's bundle.
class LV2EditorHostTest : public CliTest
{
protected:
  void StartServers()
  {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_TRUE(mXvfb.Start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-screen", "0",
                             "1280x1024x24"},
                            {}, Path("xvfb.log"), fds[1]));
    close(fds[1]);
    const std::string display = ReadLine(fds[0], 20);
    close(fds[0]);
    ASSERT_FALSE(display.empty()) << ReadText(Path("xvfb.log"));
    mDisplay = ":" + display;

    std::string why;
    ASSERT_TRUE(StartJackServer(&mJack, Path("jackd"), &mServer, &why)) << why;

    mEnv = HostEnv();
    for (const char* e : {"NO_AT_BRIDGE=1", "GDK_BACKEND=x11"}) mEnv.push_back(e);
    mEnv.push_back("JACK_DEFAULT_SERVER=" + mServer);
    mEnv.push_back("DISPLAY=" + mDisplay);
    mEnv.push_back("HOME=" + Dir());
    mEnv.push_back("XDG_RUNTIME_DIR=" + Dir());
  }

  ChildResult X(const std::vector<std::string>& argv)
  {
    return RunChild(argv, {"DISPLAY=" + mDisplay, "JACK_DEFAULT_SERVER=" + mServer}, "", 10);
  }
  // The first window named so (a regular expression), or "".
  std::string WindowNamed(const char* name)
  {
    const ChildResult r = X({"xdotool", "search", "--name", name});
    return r.out.substr(0, r.out.find('\n'));
  }
  // The editor's own window: the only unnamed 460 x 640 window at its parent's origin.
  std::string EditorWindow()
  {
    const ChildResult r = X({"xwininfo", "-root", "-tree"});
    std::smatch m;
    const std::regex editor(R"((0x[0-9a-f]+) \(has no name\): \(\)\s+460x640\+0\+0)");
    return std::regex_search(r.out, m, editor) ? m[1].str() : std::string();
  }
  std::unique_ptr<LICE_MemBitmap> Screenshot(const std::string& window, const std::string& file)
  {
    X({"import", "-window", window, Path(file)});
    return std::unique_ptr<LICE_MemBitmap>(LICE_LoadPNG(Path(file).c_str()));
  }

  std::string mDisplay, mServer;
  std::vector<std::string> mEnv;
  BackgroundChild mXvfb, mJack;
};

// What jalv sets from the host's side before the editor opens.
const char* const kHostSettings[] = {"output_gain=-6", "dyn_1_type=2", "low_mid_gain=4.5"};
} // namespace

TEST_F(LV2EditorHostTest, JalvEmbedsTheEditorWhichDrivesThePlugInAndShowsItsMeters)
{
  REQUIRE_TOOLS("Xvfb", "xdotool", "xwininfo", "import", "jackd", "jack_wait", "jack_connect",
                "jack_simple_client", "jalv.gtk3");
  if (kSanitizerBuild)
    GTEST_SKIP() << "jalv.gtk3 hangs at start-up with the sanitizer runtime preloaded, which this build's "
                    "editor needs; the Release build runs this test, and the editor's binary is loaded under "
                    "the sanitizer by lv2_editor_window_tests";
  StartServers();
  if (HasFatalFailure()) return;

  // The editor as the strip draws it without a window, with the same settings.
  const CliResult snap = RunCli({"snapshot", Path("expected.png"), "--set", "Output Gain=-6", "--set",
                                 "Dyn. 1 Type=2", "--set", "Low Mid Gain=4.5"});
  ASSERT_EQ(snap.status, 0) << snap.err;
  std::unique_ptr<LICE_MemBitmap> expected(LICE_LoadPNG(Path("expected.png").c_str()));
  ASSERT_NE(expected, nullptr);

  std::vector<std::string> argv = {"jalv.gtk3", "--print-controls"};
  for (const char* s : kHostSettings) argv.insert(argv.end(), {"-c", s});
  argv.push_back(kOstrakonLV2StereoURI);
  BackgroundChild jalv;
  ASSERT_TRUE(jalv.Start(argv, mEnv, Path("jalv.log")));
  std::string editor;
  ASSERT_TRUE(WaitFor([&] { return !(editor = EditorWindow()).empty(); }, 30)) << ReadText(Path("jalv.log"));
  std::string top;
  ASSERT_TRUE(WaitFor([&] { return !(top = WindowNamed("^Quarro Ostrakon$")).empty(); }, 10))
      << X({"xwininfo", "-root", "-tree"}).out;

  // The host's values are on the knobs and captions, the opto knobs grey: the same
  // pixels as the strip's own editor.
  std::unique_ptr<LICE_MemBitmap> shown;
  ASSERT_TRUE(WaitFor(
      [&] {
        shown = Screenshot(editor, "shown.png");
        return shown && DifferingPixels(*shown, *expected) == 0;
      },
      10))
      << (shown ? DifferingPixels(*shown, *expected) : -2) << " pixels differ from the snapshot; see "
      << Path("shown.png");

  // A click switches the EQ off; a drag of 20 pixels up on the output gain knob adds
  // 90 dB * 20 / 168 to its -6 dB.
  auto at = [&](int x, int y) { return std::vector<std::string>{"mousemove", "--window", editor, std::to_string(x), std::to_string(y)}; };
  std::vector<std::string> click = {"xdotool"};
  for (auto& a : {at(27, 247), std::vector<std::string>{"click", "1"}}) click.insert(click.end(), a.begin(), a.end());
  EXPECT_EQ(X(click).status, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::vector<std::string> drag = {"xdotool"};
  for (auto& a : {at(384, 52), std::vector<std::string>{"mousedown", "1"}, at(384, 42), at(384, 32),
                  std::vector<std::string>{"mouseup", "1"}})
    drag.insert(drag.end(), a.begin(), a.end());
  EXPECT_EQ(X(drag).status, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  // A sine into the plug-in: the meters move, the output is the input raised by the
  // dragged gain (the opto stage compresses the sine's peaks a little).
  BackgroundChild sine;
  ASSERT_TRUE(sine.Start({"jack_simple_client"}, mEnv, Path("sine.log")));
  ASSERT_TRUE(WaitFor(
      [&] {
        return X({"jack_connect", "jack_simple_client:output1", "Quarro Ostrakon:in_l"}).status == 0 &&
               X({"jack_connect", "jack_simple_client:output2", "Quarro Ostrakon:in_r"}).status == 0;
      },
      10));
  ASSERT_TRUE(WaitFor([&] { return LastPrinted(ReadText(Path("jalv.log")), "in_peak_l") > 0.1; }, 10))
      << ReadText(Path("jalv.log"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const std::string log = ReadText(Path("jalv.log"));
  const double in = LastPrinted(log, "in_peak_l"), out = LastPrinted(log, "out_peak_l");
  EXPECT_GT(out, in * std::pow(10.0, 3.0 / 20.0)) << "the output gain was not raised above +3 dB";
  EXPECT_EQ(LastPrinted(log, "eq_in_peak_l"), 0.0) << "the EQ still runs";
  std::unique_ptr<LICE_MemBitmap> metering = Screenshot(editor, "metering.png");
  ASSERT_NE(metering, nullptr);
  // The input and output meters are lit.
  EXPECT_GT(DifferingPixels(*metering, *expected, 30, 30, 10, 58), 100);
  EXPECT_GT(DifferingPixels(*metering, *expected, 411, 30, 16, 58), 100);
  sine.Stop();

  // jalv saves what the editor wrote to the ports (File > Save, then the directory).
  const std::string stateDir = Path("jalv-state");
  X({"xdotool", "mousemove", "--window", top, "18", "12", "click", "1"});
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  X({"xdotool", "mousemove", "--window", top, "45", "37", "click", "1"});
  ASSERT_TRUE(WaitFor([&] { return !WindowNamed("^Save State$").empty(); }, 20)) << ReadText(Path("jalv.log"));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  X({"xdotool", "windowfocus", "--sync", WindowNamed("^Save State$")});
  X({"xdotool", "type", "--delay", "5", stateDir});
  const std::string stateFile = stateDir + "/state.ttl";
  auto saved = [&] { return ReadText(stateFile).find("\t] .") != std::string::npos; };
  for (int attempt = 0; attempt < 4 && !saved(); ++attempt)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string dialog = WindowNamed("^Save State$");
    if (!dialog.empty()) X({"xdotool", "windowfocus", "--sync", dialog, "key", "Return"});
    WaitFor(saved, 4);
  }
  ASSERT_TRUE(saved()) << ReadText(Path("jalv.log"));
  jalv.Stop();
  const std::string state = ReadText(stateFile);
  std::map<std::string, double> ports;
  const std::regex entry(R"re(lv2:symbol "(\w+)" ;\s+pset:value ([-0-9.e]+))re");
  for (auto it = std::sregex_iterator(state.begin(), state.end(), entry); it != std::sregex_iterator(); ++it)
    ports[(*it)[1].str()] = std::stod((*it)[2].str());
  EXPECT_EQ(ports.at("eq_on_off"), 0.0);
  EXPECT_NEAR(ports.at("output_gain"), -6.0 + 90.0 * 20.0 / 168.0, 1e-5);
  EXPECT_EQ(ports.at("dyn_1_type"), 2.0);
  EXPECT_EQ(ports.at("low_mid_gain"), 4.5);
}

TEST_F(LV2EditorHostTest, JalvOnTheConsoleShowsTheEditorInAWindowOfItsOwn)
{
  REQUIRE_TOOLS("Xvfb", "xwininfo", "jackd", "jack_wait", "jalv");
  if (kSanitizerBuild)
    GTEST_SKIP() << "jalv is left to the Release build with the sanitizer runtime preloaded; the editor's "
                    "binary is loaded under the sanitizer by lv2_editor_window_tests";
  StartServers();
  if (HasFatalFailure()) return;
  BackgroundChild jalv;
  ASSERT_TRUE(jalv.Start({"jalv", "-s", kOstrakonLV2StereoURI}, mEnv, Path("jalv.log")));
  // A top-level window of the editor's size, titled by the plug-in's name.
  std::smatch m;
  const std::regex window(R"re((0x[0-9a-f]+) "([^"]*)": \([^)]*\)\s+460x640\+)re");
  std::string tree;
  ASSERT_TRUE(WaitFor(
      [&] {
        tree = X({"xwininfo", "-root", "-children"}).out;
        return std::regex_search(tree, m, window);
      },
      30))
      << tree << ReadText(Path("jalv.log"));
  EXPECT_EQ(m[2].str(), "Quarro Ostrakon");
  EXPECT_TRUE(jalv.Running());
  // This jalv waits on after its window loop has ended; it is killed after a second.
  jalv.Stop(1.0);
}
