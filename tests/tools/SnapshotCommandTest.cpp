// `ostrakon snapshot`: the editor as a PNG file, after a preset, settings and audio, the
// same picture on every run; nothing written when anything fails.

#include "tests/tools/CliHarness.h"

#include "raster/Draw.h"
#include "raster/Png.h"

#include <algorithm>
#include <memory>

namespace
{
std::unique_ptr<LICE_MemBitmap> Load(const std::string& path)
{
  return std::unique_ptr<LICE_MemBitmap>(LICE_LoadPNG(path.c_str()));
}

uint32_t ArtPixel(const char* file, int x, int y)
{
  const std::unique_ptr<LICE_MemBitmap> art = Load(std::string(OSTRAKON_RESOURCE_DIR) + "/" + file);
  return art ? raster::GetPixel(art.get(), x, y) : 0;
}
} // namespace

TEST_F(CliTest, SnapshotDrawsTheEditorTheSameEveryTime)
{
  const CliResult r = RunCli({"snapshot", Path("editor.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "");
  const auto shot = Load(Path("editor.png"));
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->Width(), 460);
  EXPECT_EQ(shot->Height(), 640);
  EXPECT_EQ(raster::GetPixel(shot.get(), 230, 5), ArtPixel("main_bg_2.png", 230, 5));
  EXPECT_EQ(raster::GetPixel(shot.get(), 15 + 100, 237 + 5), ArtPixel("eq_bg.png", 100, 5));
  ASSERT_EQ(RunCli({"snapshot", Path("again.png")}).status, 0);
  EXPECT_TRUE(ReadBytes(Path("editor.png")) == ReadBytes(Path("again.png")));
}

TEST_F(CliTest, SnapshotAfterAPresetAndSettings)
{
  ASSERT_EQ(RunCli({"render", Path("in.wav"), Path("out.wav")}).status, 2); // no input yet
  WriteAudio(Path("in.wav"), TestSignal(48000, 2, 4800));
  ASSERT_EQ(RunCli({"render", Path("in.wav"), Path("out.wav"), "--set", "Routing=2", "--save-preset",
                    Path("eq-last.aupreset")})
                .status,
            0);
  const CliResult r =
      RunCli({"snapshot", Path("shot.png"), "--preset", Path("eq-last.aupreset"), "--set", "Dyn. 2 On/Off=off"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto shot = Load(Path("shot.png"));
  ASSERT_TRUE(shot);
  // The EQ panel last, dynamics 2 in the middle; dynamics 1 untouched at the top.
  EXPECT_EQ(raster::GetPixel(shot.get(), 15 + 100, 372 + 5), ArtPixel("eq_bg.png", 100, 5));
  EXPECT_EQ(raster::GetPixel(shot.get(), 15 + 200, 102 + 5), ArtPixel("dyn_bg_2.png", 200, 5));
  // Dynamics 2 switched off: its panel faded over the editor's background.
  EXPECT_NE(raster::GetPixel(shot.get(), 15 + 200, 237 + 5), ArtPixel("dyn_bg_2.png", 200, 5));
}

TEST_F(CliTest, SnapshotTakesAProgramFileOrAnLV2PresetAsRenderDoes)
{
  WriteAudio(Path("in.wav"), TestSignal(48000, 2, 4800));
  ASSERT_EQ(RunCli({"render", Path("in.wav"), Path("out.wav"), "--set", "Routing=2", "--set", "Dyn. 2 On/Off=off",
                    "--set", "Hi Shelf Gain=7.5", "--save-preset", Path("p.aupreset")})
                .status,
            0);
  auto shoot = [&](const std::string& preset, const std::string& png) {
    const CliResult r = RunCli({"snapshot", Path(png), "--preset", Path(preset)});
    EXPECT_EQ(r.status, 0) << preset << ": " << r.err;
    return ReadBytes(Path(png));
  };
  const std::string au = shoot("p.aupreset", "au.png");
  ASSERT_FALSE(au.empty());
  // An LV2 preset holds the values exactly; a program file holds them as floats, which
  // show as an .aupreset holding the same floats shows.
  ASSERT_EQ(RunCli({"preset", "convert", Path("p.aupreset"), Path("p.ttl")}).status, 0);
  EXPECT_TRUE(shoot("p.ttl", "ttl.png") == au);
  ASSERT_EQ(RunCli({"preset", "convert", Path("p.aupreset"), Path("p.fxp")}).status, 0);
  ASSERT_EQ(RunCli({"preset", "convert", Path("p.fxp"), Path("q.aupreset")}).status, 0);
  const std::string fxp = shoot("p.fxp", "fxp.png");
  EXPECT_TRUE(fxp == shoot("q.aupreset", "q.png"));
  EXPECT_FALSE(fxp.empty());

  WriteBytes(Path("bad.fxp"), "CcnK");
  const CliResult r = RunCli({"snapshot", Path("bad.png"), "--preset", Path("bad.fxp")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  const std::vector<std::string> files = ListDir(Dir());
  EXPECT_EQ(std::count(files.begin(), files.end(), "bad.png"), 0);
}

TEST_F(CliTest, SnapshotWithAudioShowsItsLastLevels)
{
  Audio loud = TestSignal(48000, 2, 48000);
  WriteAudio(Path("loud.wav"), loud);
  const CliResult r = RunCli({"snapshot", Path("quiet.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  const CliResult a = RunCli({"snapshot", Path("loud.png"), "--audio", Path("loud.wav")});
  ASSERT_EQ(a.status, 0) << a.err;
  const auto quiet = Load(Path("quiet.png")), lit = Load(Path("loud.png"));
  ASSERT_TRUE(quiet && lit);
  // The input meters' bottom rows: dark without audio, lit after it (the bar is red in
  // all its colours).
  for (int x : {34, 45})
  {
    EXPECT_EQ(raster::GetPixel(quiet.get(), x, 85), ArtPixel("main_bg_2.png", x, 85)) << x;
    EXPECT_EQ(raster::GetPixel(lit.get(), x, 85) >> 16, 0xFFFFu) << x;
  }
}

TEST_F(CliTest, SnapshotRefusesBadRequestsAndWritesNothing)
{
  WriteBytes(Path("kept.png"), "old");
  WriteBytes(Path("noise.wav"), "not audio at all");
  const std::vector<std::vector<std::string>> bad = {
    {"snapshot"},
    {"snapshot", Path("kept.png"), Path("other.png")},
    {"snapshot", Path("kept.png"), "--block", "64"},
    {"snapshot", Path("kept.png"), "--set", "Nonsense=1"},
    {"snapshot", Path("kept.png"), "--set", "Routing"},
    {"snapshot", Path("kept.png"), "--set", "Rev. Phase=maybe"},
    {"snapshot", Path("kept.png"), "--audio", Path("missing.wav")},
    {"snapshot", Path("kept.png"), "--audio", Path("noise.wav")},
    {"snapshot", Path("kept.png"), "--preset", Path("noise.wav")},
    {"snapshot", Path("kept.png"), "--audio"},
    {"snapshot", Dir()},
  };
  for (const auto& args : bad)
  {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_EQ(r.err.rfind("ostrakon: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(ReadBytes(Path("kept.png")), "old") << args.back();
  }
  EXPECT_EQ(ListDir(Dir()), (std::vector<std::string>{"kept.png", "noise.wav"}));
}
