#include "StatePlug.h"

#include "IPlug/IGraphicsHeadless.h"
#include "tests/support/TestControl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

namespace
{
std::vector<int> Range(int n)
{
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(i);
  return out;
}

std::vector<unsigned char> DoubleBytes(double v)
{
  std::vector<unsigned char> out(8);
  memcpy(out.data(), &v, 8);
  return out;
}

std::vector<unsigned char> Slice(const ByteChunk& c, int pos, int n)
{
  return std::vector<unsigned char>(c.GetData() + pos, c.GetData() + pos + n);
}

void SetTestValues(StatePlug& p)
{
  p.GetParam(kGain)->Set(12.0);   // normalised 0.75
  p.GetParam(kFreq)->Set(20.0);   // the bottom: 0
  p.GetParam(kCount)->Set(2.0);   // 2/3
  p.GetParam(kMode)->Set(2.0);    // the top: 1
  p.GetParam(kOn)->Set(0.0);      // 0
}

class HostPlug : public StatePlug
{
public:
  int GetHost() override
  {
    ++hostQueries;
    if (IPlugBase::GetHost() < 0) SetHostIdentity(9, 0x50102);
    return IPlugBase::GetHost();
  }
  bool SendMidiMsg(IMidiMsg* msg) override
  {
    sent.push_back(msg->mStatus);
    return true;
  }
  int hostQueries = 0;
  std::vector<int> sent;
};
} // namespace

TEST(StateChunk, OneNormalisedDoublePerParameterInIndexOrder)
{
  StatePlug p;
  SetTestValues(p);
  ByteChunk c;
  ASSERT_TRUE(p.SerializeState(&c));
  ASSERT_EQ(c.Size(), 8 * kNumStateParams);
  EXPECT_EQ(Slice(c, 0, 8), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0xe8, 0x3f}));
  EXPECT_EQ(Slice(c, 8, 8), std::vector<unsigned char>(8, 0));
  EXPECT_EQ(Slice(c, 16, 8), DoubleBytes(2.0 / 3.0));
  EXPECT_EQ(Slice(c, 24, 8), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0xf0, 0x3f}));
  EXPECT_EQ(Slice(c, 32, 8), std::vector<unsigned char>(8, 0));

  // Serialising appends; the parameters' own readings are the bytes.
  ByteChunk prefixed;
  const int32_t tag = 7;
  prefixed.Put(&tag);
  ASSERT_TRUE(p.SerializeParams(&prefixed));
  EXPECT_EQ(prefixed.Size(), 4 + 8 * kNumStateParams);
  EXPECT_EQ(Slice(prefixed, 4, 40), Slice(c, 0, 40));
  EXPECT_FALSE(p.SerializeParams(nullptr));
}

TEST(StateChunk, RestoreAppliesEveryValueAndNotifiesEveryParameter)
{
  StatePlug src;
  SetTestValues(src);
  src.GetParam(kFreq)->Set(5000.0);
  ByteChunk c;
  src.SerializeParams(&c);

  StatePlug dst;
  EXPECT_EQ(dst.UnserializeState(&c, 0), 40);
  EXPECT_EQ(dst.Changes(), Range(kNumStateParams));
  EXPECT_NEAR(dst.GetParam(kGain)->Value(), 12.0, 1e-12);
  EXPECT_NEAR(dst.GetParam(kFreq)->Value(), 5000.0, 1e-9);
  EXPECT_EQ(dst.GetParam(kCount)->Value(), 2.0);
  EXPECT_EQ(dst.GetParam(kMode)->Value(), 2.0);
  EXPECT_EQ(dst.GetParam(kOn)->Value(), 0.0);

  // From an offset, with trailing bytes left unread.
  ByteChunk framed;
  const int32_t tag = 1;
  framed.Put(&tag);
  framed.PutChunk(&c);
  framed.PutStr("trailer");
  StatePlug again;
  EXPECT_EQ(again.UnserializeParams(&framed, 4), 44);
  EXPECT_EQ(again.GetParam(kMode)->Value(), 2.0);
}

TEST(StateChunk, ShortChunkAppliesWhatItHoldsAndKeepsTheRest)
{
  StatePlug src;
  SetTestValues(src);
  ByteChunk full;
  src.SerializeParams(&full);
  ByteChunk part;
  part.PutBytes(full.GetData(), 20); // two values and half of the third

  StatePlug dst;
  dst.GetParam(kCount)->Set(3.0);
  dst.GetParam(kMode)->Set(1.0);
  EXPECT_EQ(dst.UnserializeParams(&part, 0), -1);
  EXPECT_NEAR(dst.GetParam(kGain)->Value(), 12.0, 1e-12);
  EXPECT_EQ(dst.GetParam(kFreq)->Value(), 20.0);
  EXPECT_EQ(dst.GetParam(kCount)->Value(), 3.0); // where the data ran out: kept
  EXPECT_EQ(dst.GetParam(kMode)->Value(), 1.0);
  EXPECT_EQ(dst.GetParam(kOn)->Value(), 1.0);
  EXPECT_EQ(dst.Changes(), Range(kNumStateParams));

  // Nothing to read: every value kept, every parameter still notified.
  StatePlug none;
  ByteChunk empty;
  EXPECT_EQ(none.UnserializeParams(&empty, 0), -1);
  EXPECT_EQ(none.UnserializeParams(&full, -1), -1);
  EXPECT_EQ(none.UnserializeParams(&full, -8), -1); // any position before the start fails
  EXPECT_EQ(none.UnserializeParams(nullptr, 0), -1);
  EXPECT_EQ(none.GetParam(kFreq)->Value(), 1000.0);
  EXPECT_EQ(none.Changes().size(), 4u * kNumStateParams);
}

TEST(StateChunk, DamagedValuesStayInsideTheRanges)
{
  ByteChunk c;
  const double nan = std::nan("");
  const double values[] = {-0.5, 7.0, nan, -1e300, std::numeric_limits<double>::infinity()};
  for (double v : values) c.Put(&v);
  StatePlug p;
  p.GetParam(kCount)->Set(1.0);
  EXPECT_EQ(p.UnserializeParams(&c, 0), 40);
  EXPECT_EQ(p.GetParam(kGain)->Value(), -24.0);
  EXPECT_EQ(p.GetParam(kFreq)->Value(), 20000.0);
  EXPECT_EQ(p.GetParam(kCount)->Value(), 1.0); // NaN: kept
  EXPECT_EQ(p.GetParam(kMode)->Value(), 0.0);
  EXPECT_EQ(p.GetParam(kOn)->Value(), 1.0);
}

TEST(ParameterTraffic, EditorChangeIsStoredReportedThenApplied)
{
  StatePlug p;
  p.SetParameterFromGUI(kGain, 0.25);
  EXPECT_EQ(p.GetParam(kGain)->Value(), -12.0);
  // The gesture brackets belong to the editor's mouse handling, not to this call.
  EXPECT_EQ(p.events, (std::vector<std::string>{"inform 0", "change 0"}));
  EXPECT_EQ(p.informed, std::vector<double>{0.25});

  p.SetParameterFromGUI(kCount, 0.5); // 1.5 rounds up to 2
  EXPECT_EQ(p.GetParam(kCount)->Value(), 2.0);
  p.events.clear();
  p.SetParameterFromGUI(kNumStateParams, 0.5);
  p.SetParameterFromGUI(-1, 0.5);
  EXPECT_TRUE(p.events.empty());
}

TEST(ParameterTraffic, HostAndEngineHearOfEveryParameter)
{
  StatePlug p;
  SetTestValues(p);
  p.DirtyParameters();
  EXPECT_EQ(p.events, (std::vector<std::string>{"inform 0", "inform 1", "inform 2", "inform 3",
                                                "inform 4"}));
  EXPECT_EQ(p.informed, (std::vector<double>{0.75, 0.0, 2.0 / 3.0, 1.0, 0.0}));
  p.events.clear();
  p.OnParamReset();
  EXPECT_EQ(p.Changes(), Range(kNumStateParams));
}

TEST(ParameterTraffic, RedrawPushesRealValuesIntoTheEditor)
{
  StatePlug p;
  p.RedrawParamControls(); // no editor: nothing to do
  IGraphics* g = new IGraphicsHeadless(&p, 10, 10);
  std::vector<int> ctl;
  for (int i = 0; i < kNumStateParams; ++i) ctl.push_back(g->AttachControl(new TestControl(&p, i)));
  p.AttachGraphics(g);
  SetTestValues(p);
  p.RedrawParamControls();
  const double expected[] = {0.75, 0.0, 2.0 / 3.0, 1.0, 0.0};
  for (int i = 0; i < kNumStateParams; ++i)
    EXPECT_DOUBLE_EQ(g->GetControl(ctl[i])->GetValue(), expected[i]) << i;
}

TEST(ParameterTraffic, StateAndEditorChangesWaitForThePluginLock)
{
  StatePlug p;
  ByteChunk c;
  p.SerializeParams(&c);
  const std::vector<std::function<void()>> ops = {
    [&] { p.SetParameterFromGUI(kGain, 0.5); },
    [&] { p.UnserializeState(&c, 0); },
    [&] { p.UnserializeParams(&c, 0); },
    [&] {
      ByteChunk out;
      p.SerializeState(&out);
    },
    [&] { p.DirtyParameters(); },
    [&] { p.OnParamReset(); },
  };
  for (size_t i = 0; i < ops.size(); ++i)
  {
    SCOPED_TRACE(i);
    std::atomic<bool> done{false};
    p.GetMutex()->Lock();
    std::thread other([&] {
      ops[i]();
      done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(done);
    p.GetMutex()->Unlock();
    other.join();
    EXPECT_TRUE(done);
  }
}

TEST(Versions, EffectAndHostVersions)
{
  HostPlug p;
  EXPECT_EQ(p.GetEffectVersion(false), 0x10203);
  EXPECT_EQ(p.GetEffectVersion(true), 10203);
  char text[MAX_VERSION_STR_LEN];
  p.GetEffectVersionStr(text);
  EXPECT_STREQ(text, "v1.2.3");

  // The host is identified on first demand.
  EXPECT_EQ(p.hostQueries, 0);
  EXPECT_EQ(p.GetHostVersion(true), 50102);
  EXPECT_EQ(p.hostQueries, 1);
  EXPECT_EQ(p.GetHostVersion(false), 0x50102);
  p.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v5.1.2");
  EXPECT_EQ(p.GetHost(), 9);

  // An unidentified host: -1 and version 0.
  StatePlug plain;
  EXPECT_EQ(plain.GetHost(), -1);
  EXPECT_EQ(plain.GetHostVersion(true), 0);
  plain.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v0.0.0");
}

TEST(MidiHooks, MessagesEndInSendMidiMsg)
{
  HostPlug p;
  IMidiMsg on;
  on.MakeNoteOnMsg(60, 100, 0);
  p.ProcessMidiMsg(&on);
  EXPECT_EQ(p.sent, std::vector<int>{0x90});

  WDL_TypedBuf<IMidiMsg> msgs;
  IMidiMsg off;
  off.MakeNoteOffMsg(60, 0, 3);
  msgs.Add(off);
  msgs.Add(on);
  EXPECT_TRUE(p.SendMidiMsgs(&msgs));
  EXPECT_EQ(p.sent, (std::vector<int>{0x90, 0x83, 0x90}));

  StatePlug quiet; // the base sends nothing
  EXPECT_FALSE(quiet.SendMidiMsg(&on));
  EXPECT_TRUE(quiet.SendMidiMsgs(&msgs));
  quiet.ProcessMidiMsg(&on);
}
