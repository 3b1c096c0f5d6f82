// The built bundle in a small host of our own on lilv, the library real hosts load
// plug-ins with: what the host learns of the ports, a run with every control changing
// every block (out of range, infinite, NaN) over blocks of every length, which must
// allocate nothing, and the state saved to disk and restored into a new instance.

#include "IPlug/IPlugLV2.h"
#include "IPlug/IPlugLV2Ttl.h"
#include "editor/EditorBitmaps.h"
#include "engine/OstrakonLV2.h"
#include "engine/OstrakonParams.h"
#include "tests/lv2/LilvHost.h"
#include "tests/lv2/UridMap.h"
#include "tests/support/CountingAllocator.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/port-props/port-props.h>
#include <lv2/units/units.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
const char* const kPlugins[] = {kOstrakonLV2StereoURI, kOstrakonLV2MonoURI};

// The units term the table's label stands for.
const char* UnitFor(const char* label)
{
  if (!strcmp(label, "Hz")) return LV2_UNITS__hz;
  if (!strcmp(label, "dB")) return LV2_UNITS__db;
  if (!strcmp(label, "ms")) return LV2_UNITS__ms;
  return nullptr;
}
} // namespace

TEST(LilvHost, FindsBothPluginsWithNothingRequired)
{
  for (const char* uri : kPlugins)
  {
    const LilvPlugin* p = World().Plugin(uri);
    ASSERT_NE(p, nullptr) << uri;
    EXPECT_TRUE(lilv_plugin_verify(p)) << uri;
    LilvNodes* required = lilv_plugin_get_required_features(p);
    EXPECT_EQ(lilv_nodes_size(required), 0u) << uri;
    lilv_nodes_free(required);
    EXPECT_TRUE(lilv_plugin_has_extension_data(p, World().Uri(LV2_STATE__interface))) << uri;
    EXPECT_TRUE(lilv_plugin_has_latency(p));
    EXPECT_EQ(lilv_plugin_get_latency_port_index(p), lilv_plugin_get_num_ports(p) - 1);
  }
  LilvNode* name = lilv_plugin_get_name(World().Plugin(kOstrakonLV2StereoURI));
  EXPECT_STREQ(lilv_node_as_string(name), "Quarro Ostrakon");
  lilv_node_free(name);
}

// What a host reads of every control port is the parameter table's row.
TEST(LilvHost, ControlPortsCarryTheParameterTable)
{
  for (const char* uri : kPlugins)
  {
    const LilvPlugin* p = World().Plugin(uri);
    ASSERT_NE(p, nullptr);
    const int nCh = strcmp(uri, kOstrakonLV2StereoURI) ? 1 : 2;
    ASSERT_EQ(lilv_plugin_get_num_ports(p),
              (uint32_t) (2 * nCh + kNumParams + kOstrakonLV2Bundle.plugins[nCh == 2 ? 0 : 1].nMeters + 1));
    for (int i = 0; i < kNumParams; ++i)
    {
      const OstrakonParamSpec& row = kOstrakonParams[i];
      const LilvPort* port = lilv_plugin_get_port_by_index(p, (uint32_t) (2 * nCh + i));
      SCOPED_TRACE(row.name);
      EXPECT_TRUE(lilv_port_is_a(p, port, World().Uri(LV2_CORE__InputPort)));
      EXPECT_TRUE(lilv_port_is_a(p, port, World().Uri(LV2_CORE__ControlPort)));
      EXPECT_EQ(lilv_node_as_string(lilv_port_get_symbol(p, port)), LV2SymbolFromName(row.name));
      LilvNode* name = lilv_port_get_name(p, port);
      EXPECT_STREQ(lilv_node_as_string(name), row.name);
      lilv_node_free(name);
      LilvNode *def, *min, *max;
      lilv_port_get_range(p, port, &def, &min, &max);
      EXPECT_EQ(lilv_node_as_float(def), (float) row.defaultValue);
      EXPECT_EQ(lilv_node_as_float(min), (float) row.minValue);
      EXPECT_EQ(lilv_node_as_float(max), (float) row.maxValue);
      lilv_node_free(def);
      lilv_node_free(min);
      lilv_node_free(max);

      LilvNodes* units = lilv_port_get_value(p, port, World().Uri(LV2_UNITS__unit));
      const char* unit = UnitFor(row.label);
      if (unit)
      {
        ASSERT_EQ(lilv_nodes_size(units), 1u);
        EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get_first(units)), unit);
      }
      else
        EXPECT_EQ(lilv_nodes_size(units), 0u);
      lilv_nodes_free(units);

      auto has = [&](const char* prop) { return lilv_port_has_property(p, port, World().Uri(prop)); };
      EXPECT_EQ(has(LV2_CORE__integer), row.kind == IParam::kTypeInt || row.kind == IParam::kTypeEnum);
      EXPECT_EQ(has(LV2_CORE__toggled), row.kind == IParam::kTypeBool);
      EXPECT_EQ(has(LV2_CORE__enumeration), row.kind == IParam::kTypeEnum);
      LilvScalePoints* points = lilv_port_get_scale_points(p, port);
      ASSERT_EQ(points ? (int) lilv_scale_points_size(points) : 0, row.nTexts);
      int k = 0;
      LILV_FOREACH(scale_points, it, points)
      {
        const LilvScalePoint* sp = lilv_scale_points_get(points, it);
        const int value = (int) lilv_node_as_float(lilv_scale_point_get_value(sp));
        ASSERT_GE(value, 0);
        ASSERT_LT(value, row.nTexts);
        EXPECT_STREQ(lilv_node_as_string(lilv_scale_point_get_label(sp)), row.texts[value]);
        ++k;
      }
      EXPECT_EQ(k, row.nTexts);
      lilv_scale_points_free(points);
    }
  }
}

TEST(LilvHost, MeterPortsAreOutputsInTheirOrder)
{
  for (int pi = 0; pi < kOstrakonLV2Bundle.nPlugins; ++pi)
  {
    const IPlugLV2Plugin& desc = kOstrakonLV2Bundle.plugins[pi];
    const LilvPlugin* p = World().Plugin(desc.uri);
    ASSERT_NE(p, nullptr);
    const IPlugLV2Ports ports = {desc.nChannels, kNumParams, desc.nMeters};
    for (int m = 0; m < desc.nMeters; ++m)
    {
      const LilvPort* port = lilv_plugin_get_port_by_index(p, (uint32_t) ports.Meter(m));
      EXPECT_TRUE(lilv_port_is_a(p, port, World().Uri(LV2_CORE__OutputPort)));
      EXPECT_TRUE(lilv_port_is_a(p, port, World().Uri(LV2_CORE__ControlPort)));
      EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(p, port)), desc.meters[m].symbol);
    }
  }
}

// Every control changes every block, to any value a host or a broken automation lane
// could send, over blocks of 0 to 8192 frames and one longer than the maximum; the
// output stays finite and run allocates nothing.
TEST(LilvHost, ChangingControlsEveryBlockOverEveryBlockLength)
{
  constexpr int kMax = 8192;
  for (const char* uri : kPlugins)
  {
    HostInstance host(World().Plugin(uri), 48000.0, kMax, kMax + 1808);
    ASSERT_NE(host.instance, nullptr) << uri;
    const int nCh = host.nChannels;
    for (int c = 0; c < nCh; ++c)
      for (size_t i = 0; i < host.audio[c].size(); ++i)
        host.In(c)[i] = (float) (0.8 * std::sin(0.013 * (double) i * (c + 1)));
    lilv_instance_activate(host.instance);

    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), -1e30f, 1e30f};
    const int lengths[] = {0, 1, 7, 512, 8192, kMax + 1808};
    long allocations = 0;
    for (int block = 0; block < 60; ++block)
    {
      for (int i = 0; i < kNumParams; ++i)
      {
        const OstrakonParamSpec& row = kOstrakonParams[i];
        const double r = unit(rng);
        float& port = host.Control(i);
        if (r < 0.15)
          port = specials[(int) (unit(rng) * 5) % 5];
        else
        {
          // A tenth beyond either end of the range.
          const double span = row.maxValue - row.minValue;
          port = (float) (row.minValue - 0.1 * span + 1.2 * span * unit(rng));
        }
      }
      const int n = lengths[block % 6];
      const long before = AllocationCount();
      lilv_instance_run(host.instance, (uint32_t) n);
      allocations += AllocationCount() - before;
      for (int c = 0; c < nCh; ++c)
        for (int i = 0; i < n; ++i) ASSERT_TRUE(std::isfinite(host.Out(c)[i])) << uri << " block " << block;
    }
    lilv_instance_deactivate(host.instance);
    // Under the sanitizer its allocator counts nothing; the run's other checks still hold.
    if (kCountingAllocations)
    {
      EXPECT_EQ(allocations, 0) << uri;
    }
  }
}

namespace
{
const void* NoPortValue(const char*, void*, uint32_t* size, uint32_t* type)
{
  *size = *type = 0;
  return nullptr;
}
} // namespace

// The state a host writes to disk (the chunk as base64 in Turtle) restores into a new
// instance, alone, to the same parameters.
TEST(LilvHost, StateSavedToDiskRestoresIntoANewInstance)
{
  const LilvPlugin* plugin = World().Plugin(kOstrakonLV2StereoURI);
  HostInstance a(plugin, 48000.0, 512, 512), b(plugin, 48000.0, 512, 512);
  ASSERT_TRUE(a.instance && b.instance);
  a.Control(kLowMidGain) = -7.5f;
  a.Control(kDyn2Type) = 2.0f;
  a.Control(kRouting) = 2.0f;
  a.Control(kAnalogueOn) = 0.0f;
  lilv_instance_run(a.instance, 512);

  const std::string dir = std::filesystem::temp_directory_path() / ("ostrakon-lilv-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  LilvState* saved =
      lilv_state_new_from_instance(plugin, a.instance, a.map.MapHandle(), nullptr, nullptr, nullptr, nullptr,
                                   NoPortValue, nullptr, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
  ASSERT_NE(saved, nullptr);
  ASSERT_EQ(lilv_state_save(World().Get(), a.map.MapHandle(), a.map.UnmapHandle(), saved, nullptr, dir.c_str(),
                            "state.ttl"),
            0);

  LilvState* loaded =
      lilv_state_new_from_file(World().Get(), b.map.MapHandle(), nullptr, (dir + "/state.ttl").c_str());
  ASSERT_NE(loaded, nullptr);
  lilv_state_restore(loaded, b.instance, nullptr, nullptr, 0, nullptr);
  LilvState* again =
      lilv_state_new_from_instance(plugin, b.instance, b.map.MapHandle(), nullptr, nullptr, nullptr, nullptr,
                                   NoPortValue, nullptr, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
  ASSERT_NE(again, nullptr);
  // Through a file and another URID map: compare as the host sees them.
  LilvState* reread = lilv_state_new_from_file(World().Get(), a.map.MapHandle(), nullptr, (dir + "/state.ttl").c_str());
  EXPECT_TRUE(lilv_state_equals(saved, reread));
  char* first = lilv_state_to_string(World().Get(), a.map.MapHandle(), a.map.UnmapHandle(), saved, "urn:s", nullptr);
  char* second = lilv_state_to_string(World().Get(), b.map.MapHandle(), b.map.UnmapHandle(), again, "urn:s", nullptr);
  EXPECT_STREQ(first, second);
  lilv_free(first);
  lilv_free(second);
  lilv_state_free(reread);
  lilv_state_free(again);
  lilv_state_free(loaded);
  lilv_state_free(saved);
  std::filesystem::remove_all(dir);
}

// The plug-in makes its editor in every instance and looks for the artwork beside its
// shared object first: the bundle carries all of it, as the build drew it, with the
// sets an editor drawn at 1.5x or 2x takes.
TEST(LilvBundle, CarriesTheEditorsArtwork)
{
  auto bytes = [](const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  };
  for (const EditorBitmap& b : kEditorBitmaps)
    for (double scale : {1.0, 1.5, 2.0})
    {
      const std::string name = IGraphics::ScaledName(b.name, scale);
      const std::string carried = bytes(std::string(OSTRAKON_LV2_BUNDLE_DIR) + "/resources/" + name);
      EXPECT_FALSE(carried.empty()) << name;
      EXPECT_TRUE(carried == bytes(std::string(OSTRAKON_RESOURCE_DIR) + "/" + name)) << name;
    }
}
