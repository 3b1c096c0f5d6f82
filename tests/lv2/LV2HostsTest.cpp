// The plug-in's state through real hosts: jalv saves it (from its GTK window, under a
// virtual X server, on a JACK server of its own), a second jalv restores it; an Ardour
// session made headless with ardour7-lua saves it and reopens with the same values.
// Each host leaves the chunk in its state file, which must hold what was set.

#include "IPlug/Base64.h"
#include "IPlug/IPlugLV2Ttl.h"
#include "engine/OstrakonLV2.h"
#include "engine/OstrakonParams.h"
#include "tests/lv2/JackServer.h"
#include "tests/lv2/LV2Tools.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

namespace
{
// What the tests set, exact in single precision and in "%f": a band, the high-pass, Dyn 1
// as an FET with its attack knob at half travel, the routing, a gain and oversampling.
const struct
{
  int param;
  double value;
} kSettings[] = {{kLowMidGain, 4.5}, {kHiPassFreq, 80},  {kDyn1Thresh, -24}, {kDyn1Attack, 8.25},
                 {kDyn1Type, 1},     {kRouting, 2},      {kInputGain, -3.5}, {kOversampling, 1}};

double SetOrDefault(int i)
{
  for (const auto& s : kSettings)
    if (s.param == i) return s.value;
  return kOstrakonParams[i].defaultValue;
}

std::string Fixed(double v)
{
  char buf[64];
  snprintf(buf, sizeof buf, "%f", v);
  return buf;
}

std::string ReadText(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// The parameter chunk in a host's state file must be the knob positions of what was set.
void ExpectChunkInStateFile(const std::string& path)
{
  const std::string text = ReadText(path);
  std::smatch m;
  const std::regex chunk("<" + std::regex_replace(std::string(kOstrakonLV2StateKey), std::regex(R"([.#/])"),
                                                  "\\$&") +
                         R"re(>\s+"+([A-Za-z0-9+/=\s]+)"+\^\^xsd:base64Binary)re");
  ASSERT_TRUE(std::regex_search(text, m, chunk)) << path << ":\n" << text;
  std::string b64;
  for (char c : m[1].str())
    if (!isspace((unsigned char) c)) b64 += c;
  unsigned char bytes[8 * kNumParams] = {};
  ASSERT_EQ(Base64Decode(b64.c_str(), bytes, (int) sizeof bytes), (int) sizeof bytes);
  EXPECT_NE(text.find(std::string("<") + kOstrakonLV2StateVersionKey + "> \"1\"^^xsd:int"), std::string::npos);
  for (int i = 0; i < kNumParams; ++i)
  {
    IParam table;
    InitOstrakonParam(&table, kOstrakonParams[i]);
    double saved;
    memcpy(&saved, bytes + 8 * i, 8);
    // The attack's position goes through the FET's range and back: equal to rounding.
    EXPECT_NEAR(saved, table.GetNormalized(SetOrDefault(i)), 1e-12) << kOstrakonParams[i].name;
  }
}

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

class LV2HostsTest : public CliTest
{
protected:
  std::string Log(const std::string& name) { return ReadText(Path(name)); }
};
} // namespace

TEST_F(LV2HostsTest, JalvSavesStateAndASecondJalvRestoresIt)
{
  REQUIRE_TOOLS("Xvfb", "xdotool", "jackd", "jack_wait", "jalv", "jalv.gtk3");
  if (kSanitizerBuild)
    GTEST_SKIP() << "jalv.gtk3 hangs at start-up with the sanitizer runtime preloaded, which this build's "
                    "plug-in needs; the Release build runs this test";
  // A virtual X server on a display it picks itself.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  BackgroundChild xvfb;
  ASSERT_TRUE(xvfb.Start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-screen", "0",
                          "1280x1024x24"},
                         {}, Path("xvfb.log"), fds[1]));
  close(fds[1]);
  const std::string display = ReadLine(fds[0], 20);
  close(fds[0]);
  ASSERT_FALSE(display.empty()) << Log("xvfb.log");

  // A JACK server of its own, on the dummy driver.
  std::string server, why;
  BackgroundChild jack;
  ASSERT_TRUE(StartJackServer(&jack, Path("jackd"), &server, &why)) << why;

  std::vector<std::string> env = HostEnv();
  for (const char* e : {"NO_AT_BRIDGE=1", "GDK_BACKEND=x11"}) env.push_back(e);
  env.push_back("JACK_DEFAULT_SERVER=" + server);
  env.push_back("DISPLAY=:" + display);
  env.push_back("HOME=" + Dir());
  env.push_back("XDG_RUNTIME_DIR=" + Dir());
  const std::vector<std::string> x = {"DISPLAY=:" + display};
  auto windowNamed = [&](const char* name) {
    const ChildResult r = RunChild({"xdotool", "search", "--name", name}, x, "", 10);
    return r.out.substr(0, r.out.find('\n'));
  };

  std::vector<std::string> first = {"jalv.gtk3"};
  for (const auto& s : kSettings)
    first.insert(first.end(), {"-c", LV2SymbolFromName(kOstrakonParams[s.param].name) + "=" + Fixed(s.value)});
  first.push_back(kOstrakonLV2StereoURI);
  BackgroundChild gui;
  ASSERT_TRUE(gui.Start(first, env, Path("jalv-gtk.log")));
  ASSERT_TRUE(WaitFor([&] { return !windowNamed("^Quarro Ostrakon$").empty(); }, 30)) << Log("jalv-gtk.log");
  // Found is not yet ready for keys: let GTK settle.
  std::this_thread::sleep_for(std::chrono::seconds(1));

  // File > Save (Ctrl+S), then the directory's path into the save dialog.
  const std::string stateDir = Path("jalv-state");
  RunChild({"xdotool", "windowfocus", "--sync", windowNamed("^Quarro Ostrakon$"), "key", "ctrl+s"}, x, "", 10);
  ASSERT_TRUE(WaitFor([&] { return !windowNamed("^Save State$").empty(); }, 20)) << Log("jalv-gtk.log");
  std::this_thread::sleep_for(std::chrono::seconds(1));
  RunChild({"xdotool", "windowfocus", "--sync", windowNamed("^Save State$")}, x, "", 10);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  RunChild({"xdotool", "type", "--delay", "5", stateDir}, x, "", 20);
  const std::string stateFile = stateDir + "/state.ttl";
  auto saved = [&] { return ReadText(stateFile).find("\t] .") != std::string::npos; };
  // The name field's completion pop-up may take the first Return; press it until the
  // dialog has gone and the state is written.
  for (int attempt = 0; attempt < 4 && !saved(); ++attempt)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string dialog = windowNamed("^Save State$");
    if (!dialog.empty()) RunChild({"xdotool", "windowfocus", "--sync", dialog, "key", "Return"}, x, "", 10);
    WaitFor(saved, 4);
  }
  ASSERT_TRUE(saved()) << Log("jalv-gtk.log");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  gui.Stop();
  ExpectChunkInStateFile(stateFile);

  // A second jalv restores the directory and lists its controls.
  const ChildResult second = RunChild({"jalv", "-l", stateDir, kOstrakonLV2StereoURI}, env, "controls\n", 30);
  ASSERT_FALSE(second.timedOut) << second.out << second.err;
  std::map<std::string, std::string> controls;
  std::istringstream lines(second.out);
  const std::regex entry(R"(^(?:> )?(\w+) = (\S+)$)");
  std::smatch m;
  for (std::string l; std::getline(lines, l);)
    if (std::regex_match(l, m, entry)) controls[m[1]] = m[2];
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(controls[LV2SymbolFromName(kOstrakonParams[i].name)], Fixed(SetOrDefault(i)))
        << kOstrakonParams[i].name << "\n" << second.out << second.err;
}

TEST_F(LV2HostsTest, ArdourSessionSavesClosesAndReopensWithTheSameValues)
{
  REQUIRE_TOOLS("ardour7-lua");
  if (kSanitizerBuild)
    GTEST_SKIP() << "ardour7-lua hangs at start-up with the sanitizer runtime preloaded, which this build's "
                    "plug-in needs; the Release build runs this test";
  const std::string session = Path("session");
  std::string save = "local s = create_session('" + session + "', 'ostrakon', 48000)\n"
                     "assert(s, 'no session')\n"
                     "local tl = Session:new_audio_track(2, 2, nil, 1, 'Strip', ARDOUR.PresentationInfo.max_order,"
                     " ARDOUR.TrackMode.Normal, true)\n"
                     "local p = ARDOUR.LuaAPI.new_plugin(Session, '" +
                     std::string(kOstrakonLV2StereoURI) +
                     "', ARDOUR.PluginType.LV2, '')\n"
                     "assert(not p:isnil(), 'plug-in not found')\n"
                     "tl:front():add_processor_by_index(p, 0, nil, true)\n";
  for (const auto& s : kSettings)
    save += "ARDOUR.LuaAPI.set_processor_param(p, " + std::to_string(s.param) + ", " + Fixed(s.value) + ")\n";
  // The plug-in takes new control values at its next block; let the engine run a few
  // before saving, so the saved chunk holds them too.
  save += "ARDOUR.LuaAPI.usleep(500000)\n"
          "Session:save_state('', false, false, false, false, false)\n"
          "close_session()\n"
          "print('saved')\n";
  // Read back, then leave at once: closing a reopened session can hang this tool.
  const std::string reopen = "load_session('" + session +
                             "', 'ostrakon')\n"
                             "local p = Session:route_by_name('Strip'):nth_plugin(0)\n"
                             "assert(not p:isnil(), 'plug-in missing')\n"
                             "for i = 0, 39 do\n"
                             "  print(string.format('param %d %f', i, ARDOUR.LuaAPI.get_processor_param(p, i, true)))\n"
                             "end\n"
                             "io.stdout:flush()\n"
                             "os.exit(0)\n";
  WriteBytes(Path("save.lua"), save);
  WriteBytes(Path("reopen.lua"), reopen);

  std::vector<std::string> env = HostEnv();
  env.push_back("HOME=" + Dir());
  env.push_back("XDG_CONFIG_HOME=" + Dir() + "/config");
  env.push_back("XDG_CACHE_HOME=" + Dir() + "/cache");
  const ChildResult saved = RunChild({"ardour7-lua", Path("save.lua")}, env, "", 90);
  ASSERT_FALSE(saved.timedOut) << saved.out << saved.err;
  ASSERT_NE(saved.out.find("saved"), std::string::npos) << saved.out << saved.err;

  std::string stateFile;
  for (const auto& e : std::filesystem::recursive_directory_iterator(session + "/plugins"))
    if (e.path().filename() == "state.ttl") stateFile = e.path();
  ASSERT_FALSE(stateFile.empty()) << "no plug-in state in the session";
  ExpectChunkInStateFile(stateFile);

  const ChildResult reopened = RunChild({"ardour7-lua", Path("reopen.lua")}, env, "", 90);
  ASSERT_FALSE(reopened.timedOut) << reopened.out << reopened.err;
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_NE(reopened.out.find("param " + std::to_string(i) + " " + Fixed(SetOrDefault(i)) + "\n"),
              std::string::npos)
        << kOstrakonParams[i].name << "\n" << reopened.out << reopened.err;
}
