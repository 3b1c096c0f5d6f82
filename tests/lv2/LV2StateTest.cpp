// The state interface: what save stores, what restore accepts and what it refuses, and
// that a host restoring by port values alone gets the same sound.

#include "tests/lv2/LV2Rig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <string>
#include <thread>

namespace
{
struct Property
{
  std::string value;
  uint32_t type = 0, flags = 0;
};

// A host's state store: properties by key URID.
struct Store
{
  std::map<uint32_t, Property> props;

  static LV2_State_Status Put(LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type,
                              uint32_t flags)
  {
    ((Store*) h)->props[key] = {std::string((const char*) value, size), type, flags};
    return LV2_STATE_SUCCESS;
  }
  static const void* Get(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
  {
    Store* s = (Store*) h;
    auto it = s->props.find(key);
    if (it == s->props.end()) return nullptr;
    *size = it->second.value.size();
    *type = it->second.type;
    *flags = it->second.flags;
    return it->second.value.data();
  }
};

const LV2_State_Interface* StateOf(const LV2Rig& rig)
{
  return (const LV2_State_Interface*) rig.descriptor->extension_data(LV2_STATE__interface);
}

LV2_State_Status Save(LV2Rig& rig, Store* store)
{
  return StateOf(rig)->save(rig.handle, Store::Put, store, 0, nullptr);
}

LV2_State_Status Restore(LV2Rig& rig, Store* store)
{
  return StateOf(rig)->restore(rig.handle, Store::Get, store, 0, nullptr);
}

std::string ParamChunk(Ostrakon& plug)
{
  ByteChunk c;
  plug.SerializeParams(&c);
  return std::string((const char*) c.GetData(), c.Size());
}

// A setting away from every default, with a type change after its attack.
void Dial(LV2Rig& rig)
{
  rig.Control(kHiPassFreq) = 80.0f;
  rig.Control(kLowMidGain) = 4.5f;
  rig.Control(kFilterFreq) = 2500.0f;
  rig.Control(kDyn1Thresh) = -24.0f;
  rig.Control(kDyn1Attack) = 8.25f;
  rig.Control(kDyn1Type) = 1.0f;
  rig.Control(kDyn1Ratio) = 6.0f;
  rig.Control(kRouting) = 1.0f;
  rig.Control(kInputGain) = 3.5f;
  rig.Control(kOversampling) = 1.0f;
}

std::string Doubles(std::initializer_list<double> values)
{
  std::string s;
  for (double v : values) s.append((const char*) &v, sizeof v);
  return s;
}
} // namespace

TEST(LV2State, SavesTheParameterChunkBesideItsFormatVersion)
{
  LV2Rig rig;
  Dial(rig);
  rig.Run(TestProgramme(2, 256), 0, 256);
  Store store;
  ASSERT_EQ(Save(rig, &store), LV2_STATE_SUCCESS);
  ASSERT_EQ(store.props.size(), 2u);
  const Property& chunk = store.props[rig.map.Id(kOstrakonLV2StateKey)];
  EXPECT_EQ(chunk.type, rig.map.Id(LV2_ATOM__Chunk));
  EXPECT_EQ(chunk.value.size(), 320u);
  EXPECT_EQ(chunk.value, ParamChunk(rig.Plug()));
  EXPECT_TRUE(chunk.flags & LV2_STATE_IS_POD);
  const Property& version = store.props[rig.map.Id(kOstrakonLV2StateVersionKey)];
  EXPECT_EQ(version.type, rig.map.Id(LV2_ATOM__Int));
  int32_t v = 0;
  ASSERT_EQ(version.value.size(), sizeof v);
  memcpy(&v, version.value.data(), sizeof v);
  EXPECT_EQ(v, 1);
}

TEST(LV2State, RestoreAppliesTheChunkToParametersAndEngine)
{
  LV2Rig from, to;
  Dial(from);
  from.Run(TestProgramme(2, 256), 0, 256);
  Store store;
  ASSERT_EQ(Save(from, &store), LV2_STATE_SUCCESS);
  ASSERT_EQ(Restore(to, &store), LV2_STATE_SUCCESS);
  EXPECT_EQ(ParamChunk(to.Plug()), ParamChunk(from.Plug()));
  to.Plug().ApplyParamChanges(); // what the next block would take
  EXPECT_EQ(to.Plug().GetRoutingSlot(0), Ostrakon::kStageEq);
  // Through its normalised form and back: the same value but for the last bits.
  EXPECT_NEAR(to.Plug().GetParam(kInputGain)->Value(), 3.5, 1e-12);
  EXPECT_NEAR(to.Plug().GetInputGainFactor(), from.Plug().GetInputGainFactor(), 1e-12);
  EXPECT_TRUE(to.Plug().VCA(1).oversampling);
  EXPECT_EQ(to.Plug().VCA(0).attackMs, 15.5);
  // A host restoring its port values sets them to what was saved: the restored state,
  // exact as the chunk has it, stays.
  Dial(to);
  to.Run(TestProgramme(2, 64), 0, 64);
  EXPECT_EQ(ParamChunk(to.Plug()), ParamChunk(from.Plug()));
  // And a save reports the restored state.
  Store again;
  ASSERT_EQ(Save(to, &again), LV2_STATE_SUCCESS);
  EXPECT_EQ(again.props[to.map.Id(kOstrakonLV2StateKey)].value, ParamChunk(from.Plug()));
}

// Where a host's controls disagree with a restored state (a state saved before the
// plug-in ran with the host's latest values), the controls, which the host shows and
// automates, win at the next block; the controls that agree change nothing.
TEST(LV2State, TheHostsControlsWinOverARestoredStateTheyDisagreeWith)
{
  LV2Rig from, to;
  Dial(from);
  from.Run(TestProgramme(2, 64), 0, 64);
  Store store;
  ASSERT_EQ(Save(from, &store), LV2_STATE_SUCCESS);
  ASSERT_EQ(Restore(to, &store), LV2_STATE_SUCCESS);
  Dial(to);
  to.Control(kLowMidGain) = 0.0f; // back at its default, which the chunk does not know
  to.Control(kRouting) = 0.0f;
  to.Run(TestProgramme(2, 64), 0, 64);
  EXPECT_EQ(to.Plug().GetParam(kLowMidGain)->Value(), 0.0);
  EXPECT_EQ(to.Plug().GetRoutingSlot(0), Ostrakon::kStageDyn1);
  EXPECT_EQ(to.Plug().GetParam(kDyn1Attack)->GetNormalized(), from.Plug().GetParam(kDyn1Attack)->GetNormalized());
  EXPECT_EQ(to.Plug().GetParam(kInputGain)->GetNormalized(), from.Plug().GetParam(kInputGain)->GetNormalized());
}

TEST(LV2State, RefusesWhatItCannotReadAndKeepsTheCurrentState)
{
  LV2Rig source;
  Store good;
  ASSERT_EQ(Save(source, &good), LV2_STATE_SUCCESS);
  const uint32_t chunkKey = source.map.Id(kOstrakonLV2StateKey);
  const uint32_t versionKey = source.map.Id(kOstrakonLV2StateVersionKey);
  const uint32_t atomInt = source.map.Id(LV2_ATOM__Int), atomString = source.map.Id(LV2_ATOM__String);
  const std::string full = good.props[chunkKey].value;

  struct Case
  {
    const char* what;
    void (*edit)(Store&, uint32_t chunkKey, uint32_t versionKey, uint32_t atomInt, uint32_t atomString,
                 const std::string& full);
  };
  const Case cases[] = {
    {"short chunk", [](Store& s, uint32_t k, uint32_t, uint32_t, uint32_t, const std::string& f) {
       s.props[k].value = f.substr(0, 160);
     }},
    {"long chunk", [](Store& s, uint32_t k, uint32_t, uint32_t, uint32_t, const std::string& f) {
       s.props[k].value = f + std::string(8, '\0');
     }},
    {"empty chunk", [](Store& s, uint32_t k, uint32_t, uint32_t, uint32_t, const std::string&) {
       s.props[k].value.clear();
     }},
    {"no chunk", [](Store& s, uint32_t k, uint32_t, uint32_t, uint32_t, const std::string&) { s.props.erase(k); }},
    {"chunk as text", [](Store& s, uint32_t k, uint32_t, uint32_t, uint32_t str, const std::string&) {
       s.props[k].type = str;
     }},
    {"value above 1", [](Store& s, uint32_t k, uint32_t, uint32_t, uint32_t, const std::string&) {
       s.props[k].value.replace(8 * 7, 8, Doubles({1.5}));
     }},
    {"negative value", [](Store& s, uint32_t k, uint32_t, uint32_t, uint32_t, const std::string&) {
       s.props[k].value.replace(0, 8, Doubles({-0.25}));
     }},
    {"NaN value", [](Store& s, uint32_t k, uint32_t, uint32_t, uint32_t, const std::string&) {
       s.props[k].value.replace(8 * 39, 8, Doubles({std::nan("")}));
     }},
    {"version 2", [](Store& s, uint32_t, uint32_t v, uint32_t, uint32_t, const std::string&) {
       const int32_t two = 2;
       s.props[v].value.assign((const char*) &two, sizeof two);
     }},
    {"no version", [](Store& s, uint32_t, uint32_t v, uint32_t, uint32_t, const std::string&) { s.props.erase(v); }},
    {"version as text", [](Store& s, uint32_t, uint32_t v, uint32_t, uint32_t str, const std::string&) {
       s.props[v] = {"1", str, 0};
     }},
  };
  for (const Case& c : cases)
  {
    Store bad = good;
    c.edit(bad, chunkKey, versionKey, atomInt, atomString, full);
    LV2Rig rig;
    Dial(rig);
    rig.Run(TestProgramme(2, 64), 0, 64);
    const std::string before = ParamChunk(rig.Plug());
    EXPECT_NE(Restore(rig, &bad), LV2_STATE_SUCCESS) << c.what;
    EXPECT_EQ(ParamChunk(rig.Plug()), before) << c.what;
    EXPECT_EQ(rig.Plug().GetRoutingSlot(0), Ostrakon::kStageEq) << c.what;
  }
}

TEST(LV2State, WithoutAUridMapThereIsNoState)
{
  LV2Rig rig(LV2Rig::kStereo, 44100.0, 0, false);
  ASSERT_NE(rig.handle, nullptr);
  Store store;
  EXPECT_EQ(Save(rig, &store), LV2_STATE_ERR_NO_FEATURE);
  EXPECT_TRUE(store.props.empty());
  EXPECT_EQ(Restore(rig, &store), LV2_STATE_ERR_NO_FEATURE);
}

// A host that restores the state and sets the saved port values, and one that only sets
// the port values, hear exactly what was saved.
TEST(LV2State, PortValuesAloneGiveTheSameSound)
{
  const auto x = TestProgramme(2, 8192);
  LV2Rig original;
  Dial(original);
  const auto heard = original.RunAll(x, 512);
  Store store;
  ASSERT_EQ(Save(original, &store), LV2_STATE_SUCCESS);

  LV2Rig portsOnly, stateAndPorts;
  Dial(portsOnly);
  ASSERT_EQ(Restore(stateAndPorts, &store), LV2_STATE_SUCCESS);
  Dial(stateAndPorts);
  EXPECT_EQ(portsOnly.RunAll(x, 512), heard);
  EXPECT_EQ(stateAndPorts.RunAll(x, 512), heard);
}

// A host may save while the audio thread runs: every save is one block's whole state.
TEST(LV2State, SaveBesideRunSeesWholeStates)
{
  LV2Rig rig;
  const auto x = TestProgramme(2, 64);
  std::atomic<bool> done{false};
  std::atomic<int> saves{0}, torn{0};
  const uint32_t key = rig.map.Id(kOstrakonLV2StateKey);
  std::thread saver([&] {
    while (!done.load())
    {
      Store store;
      if (Save(rig, &store) != LV2_STATE_SUCCESS) continue;
      const std::string& c = store.props[key].value;
      double in, out;
      memcpy(&in, c.data() + 8 * kInputGain, 8);
      memcpy(&out, c.data() + 8 * kOutputGain, 8);
      // The audio thread moves both gains together; a torn save would show them apart.
      if (in != out) ++torn;
      ++saves;
    }
  });
  for (int block = 0; block < 3000 || saves.load() < 50; ++block)
  {
    const float gain = -60.0f + (float) (block % 90);
    rig.Control(kInputGain) = gain;
    rig.Control(kOutputGain) = gain;
    rig.Run(x, 0, 64);
  }
  done = true;
  saver.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_GE(saves.load(), 50);
}
