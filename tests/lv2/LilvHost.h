#pragma once
// A small host of our own on lilv, the library real hosts load plug-ins with: one world
// holding the build tree's bundle, and instances with every port connected.

#include "tests/lv2/UridMap.h"

#include <lilv/lilv.h>

#include <cmath>
#include <vector>

// One world holding the build tree's bundle, shared by the tests.
class HostWorld
{
public:
  HostWorld() : mWorld(lilv_world_new())
  {
    LilvNode* bundle = lilv_new_file_uri(mWorld, nullptr, OSTRAKON_LV2_BUNDLE_DIR "/");
    lilv_world_load_bundle(mWorld, bundle);
    lilv_node_free(bundle);
  }
  ~HostWorld()
  {
    for (LilvNode* n : mNodes) lilv_node_free(n);
    lilv_world_free(mWorld);
  }
  HostWorld(const HostWorld&) = delete;
  HostWorld& operator=(const HostWorld&) = delete;

  LilvWorld* Get() { return mWorld; }
  const LilvNode* Uri(const char* uri)
  {
    mNodes.push_back(lilv_new_uri(mWorld, uri));
    return mNodes.back();
  }
  const LilvPlugin* Plugin(const char* uri)
  {
    return lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), Uri(uri));
  }

private:
  LilvWorld* mWorld;
  std::vector<LilvNode*> mNodes;
};

inline HostWorld& World()
{
  static HostWorld world;
  return world;
}

// An instance with every port connected: audio to stereo or mono buffers of the largest
// block, controls and meters to one float each.
struct HostInstance
{
  HostInstance(const LilvPlugin* plugin, double rate, int maxBlock, int bufferFrames) : plugin(plugin)
  {
    instance = lilv_plugin_instantiate(plugin, rate, map.Features(maxBlock));
    if (!instance) return;
    const uint32_t n = lilv_plugin_get_num_ports(plugin);
    values.assign(n, 0.0f);
    std::vector<float> defaults(n);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    nChannels = (int) lilv_plugin_get_num_ports_of_class(plugin, World().Uri(LV2_CORE__AudioPort),
                                                          World().Uri(LV2_CORE__InputPort), nullptr);
    audio.assign(2 * nChannels, std::vector<float>(bufferFrames, 0.0f));
    for (uint32_t i = 0; i < n; ++i)
    {
      if ((int) i < 2 * nChannels)
        lilv_instance_connect_port(instance, i, audio[i].data());
      else
      {
        values[i] = std::isnan(defaults[i]) ? 0.0f : defaults[i];
        lilv_instance_connect_port(instance, i, &values[i]);
      }
    }
  }
  ~HostInstance()
  {
    if (instance) lilv_instance_free(instance);
  }
  HostInstance(const HostInstance&) = delete;
  HostInstance& operator=(const HostInstance&) = delete;

  float& Control(int paramIdx) { return values[2 * nChannels + paramIdx]; }
  float* In(int c) { return audio[c].data(); }
  float* Out(int c) { return audio[nChannels + c].data(); }

  const LilvPlugin* plugin;
  LilvInstance* instance = nullptr;
  UridMap map;
  int nChannels = 0;
  std::vector<float> values;
  std::vector<std::vector<float>> audio;
};
