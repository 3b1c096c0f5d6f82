// The strip's side of its editor: where the artwork is found, the meters fed through the
// indices the editor keeps, the editor following a restored state.

#include "EditorRig.h"
#include "tests/gui/GuiTestSupport.h"

#include "editor/EditorGraphics.h"
#include "editor/EditorGraphicsHeadless.h"


TEST(EditorArtwork, FoundBesideTheBinaryThenInTheBuildTree)
{
  EXPECT_EQ(EditorResourceFolders("/opt/ostrakon/resources"),
            (std::vector<std::string>{"/opt/ostrakon/resources", OSTRAKON_RESOURCE_DIR}));

  // An installation's folder is taken whole when it holds the artwork, else the next.
  ScratchDir installed;
  const std::vector<std::string> folders = {installed.Path(), OSTRAKON_RESOURCE_DIR};
  EXPECT_EQ(ChooseEditorResourceFolder(folders), OSTRAKON_RESOURCE_DIR);
  ASSERT_TRUE(raster::WritePNG(SolidBitmap(460, 640, 0xFF102030).get(), installed.File("main_bg_2.png").c_str()));
  EXPECT_EQ(ChooseEditorResourceFolder(folders), installed.Path());
  EXPECT_EQ(ChooseEditorResourceFolder({"/nonexistent/a", "/nonexistent/b"}), "/nonexistent/a");

  // The strip's own context: nothing beside this test binary, so the build tree's.
  EditorRig r;
  auto* g = dynamic_cast<EditorGraphicsHeadless*>(r.g);
  ASSERT_NE(g, nullptr);
  EXPECT_STREQ(g->GetResourceFolder(), OSTRAKON_RESOURCE_DIR);
  GuiTestPlug plug;
  IGraphicsHeadless plain(&plug, 10, 10);
  EXPECT_EQ(g->GetCandidateFolders(),
            (std::vector<std::string>{OSTRAKON_RESOURCE_DIR, plain.GetResourceFolder()}));

  // With the installed folder first, its own background is the editor's.
  EditorGraphicsHeadless mine(&plug, 460, 640, 0, {installed.Path(), OSTRAKON_RESOURCE_DIR});
  EXPECT_STREQ(mine.GetResourceFolder(), installed.Path().c_str());
  std::unique_ptr<raster::Bitmap> bg(mine.OSLoadBitmap(kMainBackground.id, kMainBackground.name));
  ASSERT_TRUE(bg);
  EXPECT_EQ(raster::GetPixel(bg.get(), 5, 5), 0xFF102030u);
}

TEST(EditorArtworkDeathTest, AMissingBitmapNamesTheFileAndWhereItWasLooked)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto load = [](std::vector<std::string> folders) {
    GuiTestPlug plug;
    EditorGraphicsHeadless g(&plug, 10, 10, 0, folders);
    g.LoadIBitmap(9106, "knob-pos.png", 128);
  };
  // No folder holds the artwork: the file in the first, and every folder considered.
  EXPECT_DEATH(load({"/nonexistent/installed", "/nonexistent/build"}),
               "Cannot load the bitmap \"knob-pos.png\" \\(resource 9106\\); looked for "
               "/nonexistent/installed/knob-pos.png; the editor's artwork is in none of /nonexistent/installed, "
               "/nonexistent/build");
  // The artwork is there but for this file.
  ScratchDir partial;
  ASSERT_TRUE(raster::WritePNG(SolidBitmap(4, 4, 0xFF000000).get(), partial.File("main_bg_2.png").c_str()));
  // (The death test runs this test again in a new process, with a scratch folder of its own.)
  EXPECT_DEATH(load({partial.Path()}), "looked for /[^ ]*/knob-pos.png\n");
  EXPECT_DEATH(load({partial.Path()}), "Assertion failed: \\(imgResourceFound\\), function LoadIBitmap");
}

TEST(EditorFeed, MetersTakeTheEnginesReadingsThroughTheEditorsIndices)
{
  EditorRig r;
  r.Set(kAnalogueOn, 0.0);
  r.Set(kDyn1Thresh, -30.0);
  r.Set(kDyn1Ratio, 4.0);
  r.Set(kEqOutputGain, -6.0);
  r.Set(kDyn2InputGain, 6.0);
  std::vector<double> l(512), rr(512), ol, orr;
  for (int i = 0; i < 512; ++i)
  {
    l[i] = 0.5 * std::sin(0.05 * i);
    rr[i] = 0.25 * std::sin(0.05 * i);
  }
  for (int i = 0; i < 40; ++i) r.h.Run(l, rr, ol, orr, 512); // half a second
  auto value = [&](int idx) { return r.Control(idx)->GetValue(); };
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(value(r.gui->MeterIdx(i)), r.plug->GetPeak((Ostrakon::EPeakMeter) i)) << i;
  EXPECT_NEAR(value(r.gui->MeterIdx(Ostrakongui::kInputLeft)), 0.5, 1e-3);
  EXPECT_NEAR(value(r.gui->MeterIdx(Ostrakongui::kInputRight)), 0.25, 1e-3);
  for (int s = 0; s < 2; ++s)
    EXPECT_EQ(value(r.gui->Dyn(s)->GainReductionIdx()), r.plug->GetGainReduction(s)) << s;
  EXPECT_LT(r.plug->GetGainReduction(0), 0.9);
  EXPECT_EQ(r.plug->GetGainReduction(1), 1.0);

  // Routing 0: dynamics 1, then the EQ 6 dB down at its output, then dynamics 2 6 dB up
  // at its input. Each panel's meters show its own stage: inputs first, left before right.
  const int* eq = r.gui->Eq()->MeterIdx();
  const int* d2 = r.gui->Dyn(1)->MeterIdx();
  const double eqInL = value(eq[0]), eqInR = value(eq[1]);
  EXPECT_LT(eqInL, 0.5);
  EXPECT_NEAR(eqInR / eqInL, 0.5, 0.05);
  EXPECT_NEAR(value(eq[2]) / eqInL, std::pow(10.0, -6.0 / 20), 1e-3);
  EXPECT_NEAR(value(eq[3]) / eqInR, std::pow(10.0, -6.0 / 20), 1e-3);
  EXPECT_NEAR(value(d2[0]) / value(eq[2]), std::pow(10.0, 6.0 / 20), 1e-3);
  EXPECT_NEAR(value(d2[1]) / value(eq[3]), std::pow(10.0, 6.0 / 20), 1e-3);
  const int* d1 = r.gui->Dyn(0)->MeterIdx();
  EXPECT_NEAR(value(d1[0]), 0.5, 1e-3);
  EXPECT_NEAR(value(d1[2]), eqInL, 1e-9);
}

TEST(EditorFeed, ARestoredStateArrangesAndGreysTheEditor)
{
  EditorRig source;
  source.Set(kRouting, 2);
  source.Set(kEqOn, 0.0);
  source.Set(kDyn2Type, 2);
  ByteChunk chunk;
  ASSERT_TRUE(source.plug->SerializeParams(&chunk));

  EditorRig r;
  ASSERT_GT(r.plug->UnserializeParams(&chunk, 0), 0);
  EXPECT_EQ(r.gui->Eq()->Background()->GetRECT()->T, 372);
  EXPECT_EQ(r.gui->Dyn(1)->Background()->GetRECT()->T, 237);
  EXPECT_TRUE(r.gui->Eq()->Background()->IsGrayed());
  EXPECT_TRUE(r.gui->Dyn(1)->GetOpto());
  EXPECT_FALSE(r.gui->Dyn(0)->GetOpto());
}

TEST(EditorFeed, AReplacedContextIsNoLongerTheEditorsToFollow)
{
  EditorRig r;
  r.plug->AttachGraphics(new IGraphicsHeadless(r.plug, 460, 640)); // the editor's controls are gone
  for (int idx : {kRouting, kEqOn}) // neither may touch them
  {
    r.plug->GetParam(idx)->Set(idx == kRouting ? 1.0 : 0.0);
    r.plug->OnParamChange(idx);
  }
  r.plug->ApplyParamChanges();
  EXPECT_EQ(r.plug->GetRoutingSlot(0), Ostrakon::kStageEq);
}
