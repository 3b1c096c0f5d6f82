// The built bundle before the LV2 command-line tools: the schemas' validator, lv2info's
// listing of the ports, lv2apply rendering the same samples as ostrakon render, and the
// binary's own symbols.

#include "IPlug/IPlugLV2Ttl.h"
#include "engine/OstrakonLV2.h"
#include "engine/OstrakonParams.h"
#include "engine/OstrakonPresets.h"
#include "tests/lv2/LV2Tools.h"

#include <gtest/gtest.h>
#include <lv2/ui/ui.h>

#include <cstdio>
#include <map>
#include <regex>
#include <sstream>

namespace
{
const std::string kBundle = OSTRAKON_LV2_BUNDLE_DIR;

// lv2info's blocks "Port N:", each field's lines joined.
std::map<int, std::map<std::string, std::string>> Lv2infoPorts(const std::string& text)
{
  std::map<int, std::map<std::string, std::string>> ports;
  std::istringstream in(text);
  std::string line, field;
  int port = -1;
  const std::regex header(R"(^\tPort (\d+):$)"), entry(R"(^\t\t([A-Za-z][A-Za-z ]*):\s*(.*)$)");
  std::smatch m;
  while (std::getline(in, line))
  {
    if (std::regex_match(line, m, header))
      port = std::stoi(m[1]);
    else if (port >= 0 && std::regex_match(line, m, entry))
    {
      field = m[1];
      ports[port][field] = m[2];
    }
    else if (port >= 0 && !field.empty() && line.rfind("\t\t  ", 0) == 0)
      ports[port][field] += " " + line.substr(line.find_first_not_of(" \t"));
  }
  return ports;
}

std::string Fixed(double v)
{
  char buf[64];
  snprintf(buf, sizeof buf, "%f", (double) (float) v);
  return buf;
}

class LV2ToolsTest : public CliTest
{
};
} // namespace

TEST(LV2Binary, ExportsOnlyItsEntryAndCarriesNoMacInterfaces)
{
  REQUIRE_TOOLS("nm");
  const std::string so = kBundle + "/ostrakon.so";
  const ChildResult exported = RunChild({"nm", "-D", "--defined-only", so}, {}, "", 30);
  ASSERT_EQ(exported.status, 0) << exported.err;
  std::istringstream lines(exported.out);
  std::vector<std::string> names;
  for (std::string l; std::getline(lines, l);) names.push_back(l.substr(l.rfind(' ') + 1));
  EXPECT_EQ(names, std::vector<std::string>{"lv2_descriptor"});

  // Neither the Audio Unit adapter nor the Core Foundation subset, defined or wanted.
  const ChildResult all = RunChild({"nm", "-C", so}, {}, "", 30);
  ASSERT_EQ(all.status, 0) << all.err;
  const std::regex mac(R"(\b(CF[A-Z]\w*|IPlugAU\w*|AudioUnit\w*|AUEventListener\w*|\w*Component\w*|Gestalt)\b)");
  std::istringstream symbols(all.out);
  for (std::string l; std::getline(symbols, l);) EXPECT_FALSE(std::regex_search(l, mac)) << l;
  EXPECT_NE(all.out.find("IPlugLV2::Run"), std::string::npos);
}

TEST(LV2Binary, TheEditorHasABinaryOfItsOwnAndThePlugInsNeedsNoX11)
{
  REQUIRE_TOOLS("nm", "readelf");
  const std::string ui = kBundle + "/ostrakon_ui.so";
  const ChildResult exported = RunChild({"nm", "-D", "--defined-only", ui}, {}, "", 30);
  ASSERT_EQ(exported.status, 0) << exported.err;
  std::istringstream lines(exported.out);
  std::vector<std::string> names;
  for (std::string l; std::getline(lines, l);) names.push_back(l.substr(l.rfind(' ') + 1));
  EXPECT_EQ(names, std::vector<std::string>{"lv2ui_descriptor"});

  // The editor links Xlib; the plug-in, which hosts load on machines without a display
  // too, does not; and neither carries the other's entry.
  const ChildResult uiNeeds = RunChild({"readelf", "-d", ui}, {}, "", 30);
  const ChildResult plugNeeds = RunChild({"readelf", "-d", kBundle + "/ostrakon.so"}, {}, "", 30);
  ASSERT_EQ(uiNeeds.status, 0) << uiNeeds.err;
  ASSERT_EQ(plugNeeds.status, 0) << plugNeeds.err;
  EXPECT_NE(uiNeeds.out.find("[libX11.so"), std::string::npos) << uiNeeds.out;
  EXPECT_EQ(plugNeeds.out.find("libX11"), std::string::npos) << plugNeeds.out;
  const ChildResult all = RunChild({"nm", "-C", ui}, {}, "", 30);
  EXPECT_EQ(all.out.find("IPlugLV2::Run"), std::string::npos);
  EXPECT_NE(all.out.find("IPlugLV2UI::PortEvent"), std::string::npos);
}

TEST(LV2Bundle, ValidatesAgainstTheLV2Schemas)
{
  REQUIRE_TOOLS("lv2_validate", "sord_validate");
  std::vector<std::string> args = {"lv2_validate", kBundle + "/manifest.ttl", kBundle + "/ostrakon.ttl"};
  for (const IPlugLV2Preset& preset : kOstrakonFactoryPresets) args.push_back(kBundle + "/" + preset.file);
  const ChildResult r = RunChild(args, {}, "", 120);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE((r.out + r.err).find("Found 0 errors"), std::string::npos) << r.out << r.err;
  EXPECT_EQ((r.out + r.err).find("warning"), std::string::npos) << r.out << r.err;
}

TEST(LV2Bundle, Lv2infoListsEveryPortWithItsRange)
{
  REQUIRE_TOOLS("lv2info");
  for (int pi = 0; pi < kOstrakonLV2Bundle.nPlugins; ++pi)
  {
    const IPlugLV2Plugin& plugin = kOstrakonLV2Bundle.plugins[pi];
    const ChildResult r = RunChild({"lv2info", plugin.uri}, HostEnv(), "", 60);
    ASSERT_EQ(r.status, 0) << r.err;
    SCOPED_TRACE(plugin.uri);
    EXPECT_NE(r.out.find(std::string("Name:              ") + plugin.name + "\n"), std::string::npos);
    EXPECT_NE(r.out.find("Binary:            file://" + kBundle + "/ostrakon.so"), std::string::npos);
    // The plug-in's editor.
    EXPECT_NE(r.out.find(std::string("UIs:\n\t\t") + plugin.uiUri + "\n\t\t\tClass:  " LV2_UI__X11UI "\n"
                         "\t\t\tBinary: file://" + kBundle + "/ostrakon_ui.so\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("http://lv2plug.in/ns/ext/state#interface"), std::string::npos);
    const IPlugLV2Ports ports = {plugin.nChannels, kNumParams, plugin.nMeters};
    EXPECT_NE(r.out.find("Has latency:       yes, reported by port " + std::to_string(ports.Latency())),
              std::string::npos);

    auto info = Lv2infoPorts(r.out);
    ASSERT_EQ((int) info.size(), ports.Count());
    for (int i = 0; i < kNumParams; ++i)
    {
      const OstrakonParamSpec& row = kOstrakonParams[i];
      auto& port = info[ports.Control(i)];
      SCOPED_TRACE(row.name);
      EXPECT_EQ(port["Name"], row.name);
      EXPECT_EQ(port["Minimum"], Fixed(row.minValue));
      EXPECT_EQ(port["Maximum"], Fixed(row.maxValue));
      EXPECT_EQ(port["Default"], Fixed(row.defaultValue));
      EXPECT_NE(port["Type"].find("InputPort"), std::string::npos);
      for (int k = 0; k < row.nTexts; ++k)
      {
        EXPECT_NE(r.out.find(std::to_string(k) + " = \"" + row.texts[k] + "\""), std::string::npos);
      }
    }
    for (int m = 0; m < plugin.nMeters; ++m)
    {
      auto& port = info[ports.Meter(m)];
      EXPECT_EQ(port["Symbol"], plugin.meters[m].symbol);
      EXPECT_NE(port["Type"].find("OutputPort"), std::string::npos);
      EXPECT_EQ(port["Minimum"], Fixed(0.0));
      EXPECT_EQ(port["Maximum"], Fixed(1.0));
    }
    EXPECT_EQ(info[ports.Latency()]["Symbol"], "latency");
  }
}

namespace
{
// Settings away from the defaults in every section (exact in single precision), for
// the renderer and for lv2apply.
const struct
{
  int param;
  const char* value;
} kSettings[] = {
  {kHiPassFreq, "80"},    {kLowMidGain, "4.5"},   {kFilterFreq, "2500"}, {kFilterGain, "-3"},
  {kDyn1Thresh, "-24"},   {kDyn1Ratio, "6"},      {kDyn1Attack, "8.25"}, {kDyn2Type, "2"},
  {kDyn2Thresh, "-30"},   {kRouting, "1"},        {kInputGain, "3.5"},   {kOversampling, "1"},
};
constexpr const char* kAnalogueTime = "1234567890";
} // namespace

// The LV2 road and the Audio Unit road are the same strip: lv2apply (one frame per run)
// writes the samples ostrakon render writes in blocks of one frame.
TEST_F(LV2ToolsTest, Lv2applyRendersWhatTheRendererRenders)
{
  REQUIRE_TOOLS("lv2apply");
  for (int channels : {2, 1})
  {
    SCOPED_TRACE(channels == 2 ? "stereo" : "mono");
    WriteAudio(Path("in.wav"), TestSignal(44100, channels, 12000));
    std::vector<std::string> render = {"render", Path("in.wav"), Path("render.wav"), "--block", "1",
                                       "--analogue-time", kAnalogueTime};
    std::vector<std::string> apply = {"lv2apply", "-i", Path("in.wav"), "-o", Path("lv2.wav")};
    for (const auto& s : kSettings)
    {
      render.insert(render.end(), {"--set", std::to_string(s.param) + "=" + s.value});
      apply.insert(apply.end(), {"-c", LV2SymbolFromName(kOstrakonParams[s.param].name), s.value});
    }
    apply.push_back(channels == 2 ? kOstrakonLV2StereoURI : kOstrakonLV2MonoURI);
    const CliResult rendered = RunCli(render);
    ASSERT_EQ(rendered.status, 0) << rendered.err;
    std::vector<std::string> env = HostEnv(OSTRAKON_FIXED_TIME_PRELOAD);
    env.push_back(std::string("OSTRAKON_FIXED_TIME=") + kAnalogueTime);
    const ChildResult applied = RunChild(apply, env, "", 120);
    ASSERT_EQ(applied.status, 0) << applied.out << applied.err;

    const Audio a = ReadAudio(Path("render.wav")), b = ReadAudio(Path("lv2.wav"));
    ASSERT_EQ(b.channels, channels);
    ASSERT_EQ(b.Frames(), 12000);
    EXPECT_EQ((b.format & SF_FORMAT_SUBMASK), SF_FORMAT_FLOAT);
    EXPECT_TRUE(a.samples == b.samples) << "the LV2 plug-in's samples differ from the renderer's";
    // Not the input passed through: the settings were applied.
    EXPECT_FALSE(b.samples == TestSignal(44100, channels, 12000).samples);
  }
}
