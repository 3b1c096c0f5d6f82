#include "IPlug/IPlugBase.h"

#include "IPlug/IGraphicsHeadless.h"
#include "tests/support/TestControl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
class TestPlug : public IPlugBase
{
public:
  explicit TestPlug(const char* io = "1-1 2-2", int nParams = 3)
    : IPlugBase(nParams, io, 0, "Effect", "Product", "Maker", 0x10203, 0x41626364, 0x4d667278, 7,
                false, false, false)
  {
  }
  double tempo = 0.0;
  double GetTempo() override { return tempo; }
};

// Records what the plug-in was handed, then applies the default copy.
class ProbePlug : public TestPlug
{
public:
  void ProcessDoubleReplacing(double** in, double** out, int nFrames) override
  {
    lastIn[0] = in[0];
    lastIn[1] = in[1];
    lastOut[0] = out[0];
    lastOut[1] = out[1];
    lastFrames = nFrames;
    for (int i = 0; i < nFrames; ++i)
    {
      out[0][i] = in[0][i] * 2.0;
      out[1][i] = in[1][i] * 3.0;
    }
  }
  double* lastIn[2] = {};
  double* lastOut[2] = {};
  int lastFrames = -1;
};
} // namespace

TEST(IPlugBase, ParsesChannelLayouts)
{
  TestPlug p;
  EXPECT_EQ(p.NChannelIO(), 2);
  EXPECT_EQ(p.NInChannels(), 2);
  EXPECT_EQ(p.NOutChannels(), 2);
  int in = 0, out = 0;
  EXPECT_TRUE(p.GetChannelIO(1, &in, &out));
  EXPECT_EQ(in, 2);
  EXPECT_EQ(out, 2);
  EXPECT_FALSE(p.GetChannelIO(2, &in, &out));
  EXPECT_TRUE(p.LegalIO(1, 1));
  EXPECT_TRUE(p.LegalIO(2, 2));
  EXPECT_TRUE(p.LegalIO(-1, 2));
  EXPECT_TRUE(p.LegalIO(-1, -1));
  EXPECT_FALSE(p.LegalIO(1, 2));
  EXPECT_FALSE(p.LegalIO(2, 1));

  TestPlug wide("1-2 4-1");
  EXPECT_EQ(wide.NInChannels(), 4);
  EXPECT_EQ(wide.NOutChannels(), 2);
}

TEST(IPlugBase, IdentityAndDefaults)
{
  TestPlug p;
  EXPECT_STREQ(p.GetEffectName(), "Effect");
  EXPECT_STREQ(p.GetProductName(), "Product");
  EXPECT_STREQ(p.GetMfrName(), "Maker");
  EXPECT_EQ(p.GetUniqueID(), 0x41626364);
  EXPECT_EQ(p.GetMfrID(), 0x4d667278);
  EXPECT_EQ(p.GetEffectVersion(), 0x10203);
  EXPECT_EQ(p.GetLatency(), 7);
  EXPECT_EQ(p.GetSampleRate(), 44100.0);
  EXPECT_EQ(p.GetBlockSize(), 0);
  EXPECT_EQ(p.NParams(), 3);
  EXPECT_NE(p.GetParam(2), nullptr);
  EXPECT_EQ(p.GetParam(3), nullptr);
  EXPECT_EQ(p.GetParam(-1), nullptr);
  char name[8] = "x";
  EXPECT_FALSE(p.MidiNoteName(60, name));
  EXPECT_STREQ(name, "");
  p.SetLatency(12);
  EXPECT_EQ(p.GetLatency(), 12);
  p.SetSampleRate(96000.0);
  EXPECT_EQ(p.GetSampleRate(), 96000.0);
}

TEST(IPlugBaseDeathTest, MalformedChannelLayoutIsFatal)
{
  EXPECT_DEATH(TestPlug("1-1 x"), "channelIOStrValid");
  EXPECT_DEATH(TestPlug("2"), "channelIOStrValid");
}

TEST(IPlugBase, ConnectionsClipToChannelCount)
{
  TestPlug p;
  p.SetInputChannelConnections(0, 5, true);
  EXPECT_TRUE(p.IsInChannelConnected(0));
  EXPECT_TRUE(p.IsInChannelConnected(1));
  EXPECT_FALSE(p.IsInChannelConnected(2));
  EXPECT_FALSE(p.IsInChannelConnected(-1));
  p.SetInputChannelConnections(1, 1, false);
  EXPECT_FALSE(p.IsInChannelConnected(1));
  p.SetOutputChannelConnections(-3, 4, true); // only index 0 lies in range
  EXPECT_TRUE(p.IsOutChannelConnected(0));
  EXPECT_FALSE(p.IsOutChannelConnected(1));
}

TEST(IPlugBase, MonoHostReadsSilentScratchInput)
{
  ProbePlug p;
  p.SetBlockSize(4);
  p.SetInputChannelConnections(0, 1, true);
  p.SetInputChannelConnections(1, 1, false);
  p.SetOutputChannelConnections(0, 1, true);
  p.SetOutputChannelConnections(1, 1, false);

  float in0[4] = {0.5f, -0.25f, 1.0f, 0.125f};
  float out0[4] = {9, 9, 9, 9};
  float* ins[] = {in0};
  float* outs[] = {out0};
  p.AttachInputBuffers(0, 2, ins, 4);
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(p.lastFrames, 4);
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(p.lastIn[1][i], 0.0);
    EXPECT_EQ(out0[i], in0[i] * 2.0f);
    EXPECT_EQ(p.lastOut[1][i], 0.0); // the unconnected output's scratch took it
  }
}

TEST(IPlugBase, ConvertsExactlyNFrames)
{
  ProbePlug p;
  p.SetBlockSize(8);
  p.SetInputChannelConnections(0, 2, true);
  p.SetOutputChannelConnections(0, 2, true);
  float l[8], r[8], ol[8], orr[8];
  for (int i = 0; i < 8; ++i)
  {
    l[i] = (float) i;
    r[i] = (float) -i;
    ol[i] = orr[i] = 100.0f;
  }
  float* ins[] = {l, r};
  float* outs[] = {ol, orr};
  p.AttachInputBuffers(0, 2, ins, 5);
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffers(0.0f, 5);
  for (int i = 0; i < 5; ++i)
  {
    EXPECT_EQ(ol[i], 2.0f * i);
    EXPECT_EQ(orr[i], -3.0f * i);
  }
  for (int i = 5; i < 8; ++i)
  {
    EXPECT_EQ(ol[i], 100.0f);
    EXPECT_EQ(orr[i], 100.0f);
  }

  p.AttachInputBuffers(0, 2, ins, 5);
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffersAccumulating(0.0f, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ol[i], 4.0f * i);
}

TEST(IPlugBase, DoubleBuffersArePointedAtNotCopied)
{
  ProbePlug p;
  p.SetBlockSize(4);
  p.SetInputChannelConnections(0, 2, true);
  p.SetOutputChannelConnections(0, 1, true);
  double l[4] = {1, 2, 3, 4}, r[4] = {-1, -2, -3, -4}, ol[4] = {};
  double* ins[] = {l, r};
  double* outs[] = {ol};
  p.AttachInputBuffers(0, 2, ins, 4);
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffers(0.0, 4);
  EXPECT_EQ(p.lastIn[0], l);
  EXPECT_EQ(p.lastIn[1], r);
  EXPECT_EQ(p.lastOut[0], ol);
  EXPECT_NE(p.lastOut[1], nullptr);
  EXPECT_EQ(ol[3], 8.0);
}

TEST(IPlugBase, BlockSizeClearsScratchOnlyWhenChanged)
{
  ProbePlug p;
  p.SetBlockSize(4);
  p.SetInputChannelConnections(0, 2, true);
  p.SetOutputChannelConnections(0, 2, true);
  float l[4] = {1, 2, 3, 4}, r[4] = {5, 6, 7, 8};
  float* ins[] = {l, r};
  p.AttachInputBuffers(0, 2, ins, 4);
  p.ProcessBuffers(0.0, 4);
  double* scratch = p.lastIn[0];
  EXPECT_EQ(scratch[3], 4.0);

  p.SetBlockSize(4); // same size: contents kept
  p.ProcessBuffers(0.0, 4);
  EXPECT_EQ(p.lastIn[0][3], 4.0);

  p.SetBlockSize(6); // new size: every scratch buffer zero-filled
  p.ProcessBuffers(0.0, 6);
  for (int i = 0; i < 6; ++i)
  {
    EXPECT_EQ(p.lastIn[0][i], 0.0);
    EXPECT_EQ(p.lastIn[1][i], 0.0);
  }
  EXPECT_EQ(p.GetBlockSize(), 6);
}

TEST(IPlugBase, OversizedBlockGrowsScratchInsteadOfOverrunning)
{
  ProbePlug p;
  p.SetBlockSize(4);
  p.SetInputChannelConnections(0, 1, true);
  p.SetOutputChannelConnections(0, 2, true);
  std::vector<float> l(64, 0.5f), ol(64), orr(64, 7.0f);
  float* ins[] = {l.data()};
  float* outs[] = {ol.data(), orr.data()};
  p.AttachInputBuffers(0, 2, ins, 64);
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffers(0.0f, 64);
  EXPECT_GE(p.GetBlockSize(), 64);
  for (int i = 0; i < 64; ++i)
  {
    EXPECT_EQ(ol[i], 1.0f);
    EXPECT_EQ(orr[i], 0.0f);
  }
}

TEST(IPlugBase, PassThroughAndDefaultProcess)
{
  TestPlug p("1-2");
  p.SetBlockSize(3);
  p.SetInputChannelConnections(0, 1, true);
  p.SetOutputChannelConnections(0, 2, true);
  float in[3] = {0.25f, 0.5f, 0.75f};
  float ol[3] = {9, 9, 9}, orr[3] = {9, 9, 9};
  float* ins[] = {in};
  float* outs[] = {ol, orr};
  p.AttachInputBuffers(0, 1, ins, 3);
  p.AttachOutputBuffers(0, 2, outs);
  p.PassThroughBuffers(0.0f, 3);
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(ol[i], in[i]);
    EXPECT_EQ(orr[i], 0.0f);
  }

  // The default block process copies what both counts share and zeroes the rest.
  for (float& v : ol) v = 9;
  for (float& v : orr) v = 9;
  p.AttachInputBuffers(0, 1, ins, 3);
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffers(0.0f, 3);
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(ol[i], in[i]);
    EXPECT_EQ(orr[i], 0.0f);
  }

  TestPlug stereo;
  float a[2] = {1, 2}, b[2] = {3, 4}, c[2], d[2];
  float* si[] = {a, b};
  float* so[] = {c, d};
  stereo.ProcessSingleReplacing(si, so, 2);
  EXPECT_EQ(c[1], 2.0f);
  EXPECT_EQ(d[1], 4.0f);
}

TEST(IPlugBase, ZeroFrameBlocksBeforeAnyBlockSize)
{
  ProbePlug p;
  p.ProcessBuffers(0.0f, 0);
  p.PassThroughBuffers(0.0f, 0);
  p.PassThroughBuffers(0.0, 0);
  EXPECT_EQ(p.lastFrames, 0);
}

TEST(IPlugBase, SamplesPerBeat)
{
  TestPlug p;
  EXPECT_EQ(p.GetSamplesPerBeat(), 0.0);
  p.tempo = 120.0;
  EXPECT_EQ(p.GetSamplesPerBeat(), 22050.0);
  p.tempo = -1.0;
  EXPECT_EQ(p.GetSamplesPerBeat(), 0.0);
}

TEST(IPlugBase, MutexIsRecursiveAndExclusive)
{
  TestPlug p;
  WDL_Mutex* m = p.GetMutex();
  m->Lock();
  m->Lock();
  EXPECT_EQ(m->Depth(), 1);
  p.Reset(); // the default hooks lock again on the owning thread
  p.OnParamChange(0);
  p.OnActivate(true);

  std::atomic<bool> entered{false};
  std::thread other([&] {
    m->Lock();
    entered = true;
    m->Unlock();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(entered);
  m->Unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(entered);
  m->Unlock();
  other.join();
  EXPECT_TRUE(entered);
}

TEST(IPlugBase, AttachGraphicsPushesEveryParameter)
{
  TestPlug p;
  p.GetParam(0)->InitDouble("A", 5.0, 0.0, 10.0, 0.1, "");
  p.GetParam(1)->InitBool("B", true, "");
  IGraphics* g = new IGraphicsHeadless(&p, 100, 50);
  EXPECT_EQ(g->FPS(), 25);
  const int a = g->AttachControl(new TestControl(&p, 0));
  const int b = g->AttachControl(new TestControl(&p, 1));
  const int meter = g->AttachControl(new TestControl(&p));
  p.AttachGraphics(nullptr);
  EXPECT_EQ(p.GetGUI(), nullptr);
  p.AttachGraphics(g); // the plug-in owns it from here
  EXPECT_EQ(p.GetGUI(), g);
  EXPECT_DOUBLE_EQ(g->GetControl(a)->GetValue(), 0.5);
  EXPECT_EQ(g->GetControl(b)->GetValue(), 1.0);
  EXPECT_EQ(g->GetControl(meter)->GetDefaultValue(), -1.0);

  // The first value a control receives is its default; later ones dirty it.
  g->SetControlFromPlug(meter, 0.25);
  EXPECT_EQ(g->GetControl(meter)->GetDefaultValue(), 0.25);
  g->GetControl(meter)->SetClean();
  g->SetControlFromPlug(meter, 0.75);
  EXPECT_EQ(g->GetControl(meter)->GetValue(), 0.75);
  EXPECT_TRUE(g->GetControl(meter)->IsDirty());
  g->SetControlFromPlug(-1, 0.1);
  g->SetControlFromPlug(3, 0.1);
  g->SetParameterFromPlug(0, 10.0, false);
  EXPECT_EQ(g->GetControl(a)->GetValue(), 1.0);
}
