// The bundle's Turtle as the generator writes it from the parameter records: stable
// symbols, ranges, kinds, units and the meter and latency ports.

#include "IPlug/IPlugLV2Ttl.h"
#include "engine/Ostrakon.h"
#include "engine/OstrakonLV2.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

TEST(LV2Ttl, SymbolsFollowTheHostNames)
{
  EXPECT_EQ(LV2SymbolFromName("Dyn. 1 Thresh."), "dyn_1_thresh");
  EXPECT_EQ(LV2SymbolFromName("Dyn1 Input Gain"), "dyn1_input_gain");
  EXPECT_EQ(LV2SymbolFromName("Eq On/Off"), "eq_on_off");
  EXPECT_EQ(LV2SymbolFromName("  --Hi  Pass Freq.--"), "hi_pass_freq");
  EXPECT_EQ(LV2SymbolFromName("2nd Band"), "_2nd_band");
  EXPECT_EQ(LV2SymbolFromName("Gain \xc3\xa9t\xc3\xa9"), "gain_t");
  EXPECT_EQ(LV2SymbolFromName(""), "");
}

// Hosts keep automation and sessions by these symbols: they never change.
TEST(LV2Ttl, ControlSymbolsAreStable)
{
  const char* const expected[kNumParams] = {
    "hi_pass_freq",   "low_pass_freq",   "hi_shelf_freq",    "hi_shelf_gain",   "low_shelf_freq",
    "low_shelf_gain", "low_mid_freq",    "low_mid_gain",     "low_mid_q",       "hi_mid_freq",
    "hi_mid_gain",    "hi_mid_q",        "filter_freq",      "filter_gain",     "filter_q",
    "eq_on_off",      "eq_input_gain",   "eq_output_gain",   "dyn_1_thresh",    "dyn_1_attack",
    "dyn_1_release",  "dyn_1_ratio",     "dyn_1_on_off",     "dyn_1_type",      "dyn1_input_gain",
    "dyn1_output_gain", "dyn_2_thresh",  "dyn_2_attack",     "dyn_2_release",   "dyn_2_ratio",
    "dyn_2_on_off",   "dyn_2_type",      "dyn2_input_gain",  "dyn2_output_gain", "routing",
    "input_gain",     "output_gain",     "analogue_on_off",  "rev_phase",       "oversampling"};
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(LV2SymbolFromName(kOstrakonParams[i].name), expected[i]) << i;
}

TEST(LV2Ttl, ManifestNamesBothPluginsAndTheBinary)
{
  const std::string m = LV2ManifestTtl(kOstrakonLV2Bundle);
  for (const char* uri : {kOstrakonLV2StereoURI, kOstrakonLV2MonoURI})
    EXPECT_NE(m.find(std::string("<") + uri + ">\n\ta lv2:Plugin ;\n\tlv2:binary <ostrakon.so> ;\n"
                                             "\trdfs:seeAlso <ostrakon.ttl> ."),
              std::string::npos)
        << uri;
}

TEST(LV2Ttl, EachPlugInNamesItsEditorAnX11UIInItsOwnBinary)
{
  const std::string m = LV2ManifestTtl(kOstrakonLV2Bundle);
  std::unique_ptr<IPlugLV2> plug(kOstrakonLV2Bundle.makePlug());
  std::string error;
  const std::string t = LV2PluginsTtl(kOstrakonLV2Bundle, *plug, &error);
  ASSERT_EQ(error, "");
  const struct
  {
    const char *plugin, *ui;
    const IPlugLV2Meter* meters;
    int nMeters;
  } kEditors[] = {{kOstrakonLV2StereoURI, kOstrakonLV2StereoUIURI, kOstrakonLV2StereoMeters,
                   kOstrakonLV2NumStereoMeters},
                  {kOstrakonLV2MonoURI, kOstrakonLV2MonoUIURI, kOstrakonLV2MonoMeters, kOstrakonLV2NumMonoMeters}};
  for (const auto& e : kEditors)
  {
    EXPECT_NE(m.find(std::string("<") + e.ui + ">\n\ta ui:X11UI ;\n\tlv2:binary <ostrakon_ui.so> ;\n"
                                              "\trdfs:seeAlso <ostrakon.ttl> ."),
              std::string::npos)
        << e.ui;
    const size_t plugin = t.find(std::string("<") + e.plugin + ">\n\ta lv2:Plugin");
    ASSERT_NE(plugin, std::string::npos);
    EXPECT_NE(t.find(std::string("\tui:ui <") + e.ui + "> ;", plugin), std::string::npos) << e.plugin;
    const size_t ui = t.find(std::string("<") + e.ui + ">\n\ta ui:X11UI ;");
    ASSERT_NE(ui, std::string::npos) << e.ui;
    const std::string desc = t.substr(ui, t.find(" .\n", ui) - ui);
    for (const char* feature : {"ui:parent", "ui:resize", "ui:touch", "ui:idleInterface", "opts:options"})
      EXPECT_NE(desc.find(feature), std::string::npos) << feature;
    EXPECT_NE(desc.find("lv2:extensionData ui:idleInterface , ui:showInterface ;"), std::string::npos);
    EXPECT_NE(desc.find("opts:supportedOption ui:scaleFactor"), std::string::npos);
    EXPECT_EQ(desc.find("instance-access"), std::string::npos);
    // Every meter output is sent to the editor.
    for (int i = 0; i < e.nMeters; ++i)
      EXPECT_NE(desc.find(std::string("ui:plugin <") + e.plugin + "> ;\n\t\tlv2:symbol \"" + e.meters[i].symbol +
                          "\" ;\n\t\tui:notifyType ui:floatProtocol"),
                std::string::npos)
          << e.meters[i].symbol;
  }
}

TEST(LV2Ttl, PortsComeFromTheParameterRecords)
{
  std::unique_ptr<IPlugLV2> plug(kOstrakonLV2Bundle.makePlug());
  std::string error;
  const std::string t = LV2PluginsTtl(kOstrakonLV2Bundle, *plug, &error);
  ASSERT_TRUE(error.empty()) << error;
  auto has = [&](const std::string& s) { return t.find(s) != std::string::npos; };
  // Index, symbol, name, range and unit, in that order, on the stereo and the mono plug-in.
  EXPECT_TRUE(has("lv2:index 4 ;\n\t\tlv2:symbol \"hi_pass_freq\" ;\n\t\tlv2:name \"Hi Pass Freq.\" ;\n"
                  "\t\tlv2:default 20.0 ;\n\t\tlv2:minimum 20.0 ;\n\t\tlv2:maximum 200.0 ;\n"
                  "\t\tunits:unit units:hz\n"));
  EXPECT_TRUE(has("lv2:index 2 ;\n\t\tlv2:symbol \"hi_pass_freq\" ;"));
  EXPECT_TRUE(has("lv2:symbol \"low_pass_freq\" ;\n\t\tlv2:name \"Low Pass Freq.\" ;\n"
                  "\t\tlv2:default 20000.0 ;\n\t\tlv2:minimum 2000.0 ;\n\t\tlv2:maximum 20000.0 ;\n"
                  "\t\tlv2:portProperty lv2:integer ;\n\t\tunits:unit units:hz"));
  EXPECT_TRUE(has("lv2:symbol \"low_mid_q\" ;\n\t\tlv2:name \"Low Mid Q\" ;\n"
                  "\t\tlv2:default 0.5 ;\n\t\tlv2:minimum 0.5 ;\n\t\tlv2:maximum 8.0\n\t]"));
  EXPECT_TRUE(has("lv2:symbol \"dyn_1_attack\" ;\n\t\tlv2:name \"Dyn. 1 Attack\" ;\n"
                  "\t\tlv2:default 1.0 ;\n\t\tlv2:minimum 1.0 ;\n\t\tlv2:maximum 30.0 ;\n"
                  "\t\tunits:unit units:ms ;\n\t\trdfs:comment \"Knob position on the VCA scale"));
  EXPECT_TRUE(has("lv2:symbol \"eq_on_off\" ;\n\t\tlv2:name \"Eq On/Off\" ;\n"
                  "\t\tlv2:default 1.0 ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum 1.0 ;\n"
                  "\t\tlv2:portProperty lv2:toggled\n"));
  EXPECT_TRUE(has("lv2:symbol \"routing\" ;\n\t\tlv2:name \"Routing\" ;\n"
                  "\t\tlv2:default 0.0 ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum 2.0 ;\n"
                  "\t\tlv2:portProperty lv2:integer , lv2:enumeration ;\n\t\tlv2:scalePoint [\n"
                  "\t\t\trdfs:label \"Dyn1 -> Eq -> Dyn2\" ;\n\t\t\trdf:value 0\n\t\t] , [\n"
                  "\t\t\trdfs:label \"Eq -> Dyn1 -> Dyn2\" ;\n\t\t\trdf:value 1\n\t\t] , [\n"
                  "\t\t\trdfs:label \"Dyn1 -> Dyn2 -> Eq\" ;\n\t\t\trdf:value 2\n\t\t]\n"));
  EXPECT_TRUE(has("lv2:index 61 ;\n\t\tlv2:symbol \"dyn2_gain_reduction\" ;"));
  EXPECT_TRUE(has("lv2:index 62 ;\n\t\tlv2:symbol \"latency\" ;\n\t\tlv2:name \"Latency\" ;\n"
                  "\t\tlv2:designation lv2:latency ;"));
  EXPECT_TRUE(has("lv2:index 52 ;\n\t\tlv2:symbol \"latency\" ;"));
}

TEST(LV2Ttl, ASymbolTwiceIsAnError)
{
  const IPlugLV2Meter clash[] = {{"input_gain", "Clash", 0, 1, false}};
  const IPlugLV2Plugin plugins[] = {{"urn:test:clash", "Clash", 1, clash, 1, nullptr, nullptr}};
  IPlugLV2Bundle bundle = kOstrakonLV2Bundle;
  bundle.plugins = plugins;
  bundle.nPlugins = 1;
  std::unique_ptr<IPlugLV2> plug(kOstrakonLV2Bundle.makePlug());
  std::string error;
  EXPECT_EQ(LV2PluginsTtl(bundle, *plug, &error), "");
  EXPECT_NE(error.find("input_gain"), std::string::npos) << error;
}
