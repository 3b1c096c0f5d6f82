// The editor's bitmaps as the build writes them: names, frames and sizes against the
// layout, the same bytes on every run, markings clear of the controls, and pixel
// probes of what each frame shows.
#include "resources/ArtworkSet.h"
#include "resources/KnobArt.h"
#include "resources/Layout.h"
#include "resources/Palette.h"
#include "resources/PanelArt.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace artwork;
using namespace artwork::layout;

namespace {

struct Rgba {
  double r, g, b, a; // 0..255, not premultiplied
  double luma() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};

// A decoded PNG, or the pixels of a canvas.
class Image {
public:
  explicit Image(const std::string& path)
      : mSurface(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy) {}
  explicit Image(cairo_surface_t* s) : mSurface(cairo_surface_reference(s), cairo_surface_destroy) {
    cairo_surface_flush(s);
  }
  bool ok() const { return cairo_surface_status(mSurface.get()) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(mSurface.get()); }
  int height() const { return cairo_image_surface_get_height(mSurface.get()); }
  std::uint32_t raw(int x, int y) const {
    const unsigned char* d = cairo_image_surface_get_data(mSurface.get());
    return reinterpret_cast<const std::uint32_t*>(d + y * cairo_image_surface_get_stride(mSurface.get()))[x];
  }
  Rgba at(int x, int y) const {
    std::uint32_t p = raw(x, y);
    double a = p >> 24;
    if (a == 0)
      return {0, 0, 0, 0};
    auto ch = [&](int shift) { return ((p >> shift) & 0xff) * 255.0 / a; };
    return {ch(16), ch(8), ch(0), a};
  }

private:
  std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> mSurface;
};

// cairo and fontconfig keep caches for the life of the process; release them after
// the last test so the leak checker sees only real leaks.
class ReleaseLibraryCaches : public ::testing::Environment {
public:
  void TearDown() override {
    cairo_debug_reset_static_data();
    FcFini();
  }
};
[[maybe_unused]] const auto* const gReleaseCaches = ::testing::AddGlobalTestEnvironment(new ReleaseLibraryCaches);

std::string resource(const std::string& file) { return std::string(OSTRAKON_RESOURCE_DIR) + "/" + file; }

const BitmapSpec& spec(const std::string& file) {
  for (const BitmapSpec& b : artworkSet())
    if (b.file == file)
      return b;
  throw std::runtime_error("no bitmap " + file);
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder under the system's temporary directory, removed afterwards.
class TempDir {
public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "ostrakon-art-XXXXXX").string();
    mPath = mkdtemp(tmpl.data()) ? tmpl : "";
  }
  ~TempDir() {
    std::error_code ec;
    if (!mPath.empty())
      fs::remove_all(mPath, ec);
  }
  const std::string& path() const { return mPath; }

private:
  std::string mPath;
};

int runTool(const std::string& args) {
  std::string cmd = std::string("\"") + OSTRAKON_ARTWORK_TOOL + "\" " + args + " 2>/dev/null";
  int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

double colourDistance(const Rgba& p, const Colour& c) {
  return std::sqrt(std::pow(p.r - c.r * 255, 2) + std::pow(p.g - c.g * 255, 2) + std::pow(p.b - c.b * 255, 2));
}

// Pixels of one frame of a filmstrip close to a colour (opaque ones only).
int countNear(const Image& img, int frame, int frameH, const Colour& c, double within) {
  int n = 0;
  for (int y = 0; y < frameH; ++y)
    for (int x = 0; x < img.width(); ++x) {
      Rgba p = img.at(x, frame * frameH + y);
      if (p.a > 200 && colourDistance(p, c) < within)
        ++n;
    }
  return n;
}

const std::vector<std::string>& bitmapFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> f;
    for (const BitmapSpec& b : artworkSet())
      f.push_back(b.file);
    return f;
  }();
  return files;
}

} // namespace

TEST(ArtworkSet, NamesAndFrameCountsAreTheEditors) {
  struct Row {
    int id;
    const char* file;
    int frames;
  };
  const Row expected[] = {
      {100, "main_bg_2.png", 1},           {101, "dyn_bg_2.png", 1},
      {102, "eq_bg.png", 1},               {103, "arrange_20x22_2.png", 3},
      {104, "dyn_type-all_81x67.png", 4},  {105, "faderknob_10x7.png", 1},
      {106, "knob-pos.png", 128},          {107, "knob-neg.png", 128},
      {108, "knob-mid.png", 128},          {109, "knob-iogain3.png", 128},
      {110, "analogemulation115x7_2.png", 2}, {111, "oversampling_94x7_2.png", 2},
      {112, "phaseinvert_88x7_2.png", 2},  {113, "dyn1_state_92x20_2.png", 2},
      {114, "dyn2_state_92x20_2.png", 2},  {115, "eq_state_92x20_2.png", 2},
  };
  ASSERT_EQ(artworkSet().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(artworkSet()[i].id, expected[i].id);
    EXPECT_EQ(artworkSet()[i].file, expected[i].file);
    EXPECT_EQ(artworkSet()[i].frames, expected[i].frames) << expected[i].file;
  }
}

TEST(ArtworkFiles, EveryBitmapIsWrittenWithItsFrameSize) {
  for (const BitmapSpec& b : artworkSet()) {
    Image img(resource(b.file));
    ASSERT_TRUE(img.ok()) << resource(b.file);
    EXPECT_EQ(img.width(), b.frameW) << b.file;
    EXPECT_EQ(img.height() % b.frames, 0) << b.file;
    EXPECT_EQ(img.height() / b.frames, b.frameH) << b.file;
  }
  EXPECT_EQ(spec("main_bg_2.png").frameW, 460);
  EXPECT_EQ(spec("main_bg_2.png").frameH, 640);
  EXPECT_EQ(spec("eq_bg.png").frameW, 430);
  EXPECT_EQ(spec("eq_bg.png").frameH, 233);
  EXPECT_EQ(spec("dyn_bg_2.png").frameW, 430);
  EXPECT_EQ(spec("dyn_bg_2.png").frameH, 135);
  // The preview the build composes is the editor's size.
  Image preview(OSTRAKON_ARTWORK_PREVIEW);
  ASSERT_TRUE(preview.ok());
  EXPECT_EQ(preview.width(), 460);
  EXPECT_EQ(preview.height(), 640);
}

namespace {

// Where a knob's value caption can print: from the top of its box, as wide as the
// widest value ("4000.0 ms", about 47 pixels in a 10-pixel face), down to the
// descenders.
Rect captionReach(Point knob) { return {knob.x, knob.y + kCaption.y, kKnobW, 12}; }

struct Placed {
  std::string what;
  Rect r;
};

// Everything a panel puts on its background, with the sizes the bitmaps give: the
// knobs' frames and caption readouts, switches, faders and meters.
std::vector<Placed> panelControls(bool eq) {
  std::vector<Placed> v;
  auto knobs = [&](const std::vector<KnobSpot>& ks) {
    for (size_t i = 0; i < ks.size(); ++i) {
      const Point p = ks[i].at;
      v.push_back({"knob " + std::to_string(i), {p.x, p.y, kKnobW, kKnobH}});
      v.push_back({"caption " + std::to_string(i), captionReach(p)});
    }
  };
  const Point* meters = eq ? kEqMeters : kDynMeters;
  const Point* faders = eq ? kEqFaders : kDynFaders;
  for (int i = 0; i < 4; ++i)
    v.push_back({"meter " + std::to_string(i), {meters[i].x, meters[i].y, kPanelMeterW, kPanelMeterH + 2}});
  for (int i = 0; i < 2; ++i)
    v.push_back({"fader " + std::to_string(i), {faders[i].x, faders[i].y, kFaderW, kFaderTravel}});
  v.push_back({"on/off", {kStateAt.x, kStateAt.y, kStateW, kStateH}});
  v.push_back({"routing", {kArrangeAt.x, kArrangeAt.y, kArrangeW, kArrangeH}});
  if (eq) {
    knobs(eqKnobs());
  } else {
    v.push_back({"type", {kTypeAt.x, kTypeAt.y, kTypeW, kTypeH}});
    v.push_back({"gain reduction", kGainReduction});
    knobs(dynKnobs());
  }
  return v;
}

std::vector<Placed> topControls() {
  std::vector<Placed> v;
  for (int i = 0; i < 4; ++i)
    v.push_back({"meter " + std::to_string(i), {kTopMeters[i].x, kTopMeters[i].y, kTopMeterW, kTopMeterH + 2}});
  for (size_t i = 0; i < topKnobs().size(); ++i) {
    const Point p = topKnobs()[i].at;
    v.push_back({"knob " + std::to_string(i), {p.x, p.y, kKnobW, kKnobH}});
    v.push_back({"caption " + std::to_string(i), captionReach(p)});
  }
  for (int i = 0; i < 3; ++i)
    v.push_back({"switch " + std::to_string(i), {kToggleX, kToggleY[i], kToggleW, kToggleH}});
  v.push_back({"version", kVersion});
  return v;
}

void expectApart(const std::vector<Placed>& v, const Rect& within, const char* where) {
  for (size_t i = 0; i < v.size(); ++i) {
    EXPECT_TRUE(v[i].r.inside(within)) << where << ": " << v[i].what;
    for (size_t j = i + 1; j < v.size(); ++j)
      EXPECT_FALSE(v[i].r.overlaps(v[j].r)) << where << ": " << v[i].what << " overlaps " << v[j].what;
  }
}

} // namespace

TEST(ArtworkLayout, ControlsFitTheirPanelsWithoutOverlap) {
  expectApart(panelControls(true), {0, 0, kEqW, kEqH}, "EQ panel");
  expectApart(panelControls(false), {0, 0, kDynW, kDynH}, "dynamics panel");
  // The top section ends where the panels start, except the version in the footer.
  std::vector<Placed> top = topControls();
  expectApart(top, {0, 0, kEditorW, kEditorH}, "editor");
  for (const Placed& p : top) {
    if (p.what != "version") {
      EXPECT_LE(p.r.bottom(), kPanelTop) << p.what;
    }
  }
  EXPECT_GE(kVersion.y, kPanelBottom);
  // Each routing stacks the panels without gaps from the top to the bottom of the bay.
  for (const PanelTops& t : kRoutingTops) {
    std::map<int, int> heights = {{t.dyn1, kDynH}, {t.eq, kEqH}, {t.dyn2, kDynH}};
    int y = kPanelTop;
    for (auto [top, h] : heights) {
      EXPECT_EQ(top, y);
      y += h;
    }
    EXPECT_EQ(y, kPanelBottom);
  }
  // A knob frame must leave its value caption alone, and the caption must fit in the
  // readout drawn for it.
  EXPECT_LE(kKnobH, kCaption.y);
  EXPECT_LE(kReadout.x, kCaption.x);
  EXPECT_GE(kReadout.x + kReadout.w, kCaption.x + kCaption.w);
  EXPECT_LE(kReadout.y, kCaption.y);
}

namespace {

// Pixels where the background differs with and without its markings.
std::vector<std::vector<bool>> markings(void (*draw)(const ArtCanvas&), int w, int h) {
  const Typefaces faces;
  ArtCanvas with(faces, w, h, 1), without(faces, w, h, 1);
  without.setMarkings(false);
  draw(with);
  draw(without);
  Image a(with.surface()), b(without.surface());
  std::vector<std::vector<bool>> m(h, std::vector<bool>(w));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      m[y][x] = a.raw(x, y) != b.raw(x, y);
  return m;
}

// Pixels a knob of this kind covers in any of its frames.
std::vector<std::vector<bool>> knobCover(KnobKind kind) {
  static std::map<KnobKind, std::vector<std::vector<bool>>> cache;
  auto it = cache.find(kind);
  if (it != cache.end())
    return it->second;
  static const char* files[] = {"knob-pos.png", "knob-neg.png", "knob-mid.png", "knob-iogain3.png"};
  Image img(resource(files[int(kind)]));
  std::vector<std::vector<bool>> m(kKnobH, std::vector<bool>(kKnobW));
  for (int f = 0; f < kKnobFrames; ++f)
    for (int y = 0; y < kKnobH; ++y)
      for (int x = 0; x < kKnobW; ++x)
        if ((img.raw(x, f * kKnobH + y) >> 24) != 0)
          m[y][x] = true;
  return cache[kind] = m;
}

// Counts marking pixels under anything a control draws: the opaque part of any knob
// frame, a caption readout, a meter, or another control's rectangle.
int markingsUnderControls(const std::vector<std::vector<bool>>& mask, const std::vector<Placed>& controls,
                          const std::vector<KnobSpot>& knobs, std::string& where) {
  int n = 0;
  auto hit = [&](int x, int y, const std::string& what) {
    if (y >= 0 && y < int(mask.size()) && x >= 0 && x < int(mask[0].size()) && mask[y][x]) {
      if (n++ == 0)
        where = what + " at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    }
  };
  for (const Placed& p : controls) {
    if (p.what.rfind("knob", 0) == 0)
      continue;
    for (int y = p.r.y; y < p.r.bottom(); ++y)
      for (int x = p.r.x; x < p.r.right(); ++x)
        hit(x, y, p.what);
  }
  for (const KnobSpot& k : knobs) {
    auto cover = knobCover(k.kind);
    for (int y = 0; y < kKnobH; ++y)
      for (int x = 0; x < kKnobW; ++x)
        if (cover[y][x])
          hit(k.at.x + x, k.at.y + y, "knob at " + std::to_string(k.at.x) + "," + std::to_string(k.at.y));
  }
  return n;
}

int markedPixels(const std::vector<std::vector<bool>>& mask, const Rect& r) {
  int n = 0;
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x)
      n += mask[y][x];
  return n;
}

} // namespace

TEST(ArtworkLayout, MarkingsLieClearOfControlsCaptionsAndMeters) {
  std::string where;
  auto eq = markings(drawEqBackground, kEqW, kEqH);
  EXPECT_EQ(markingsUnderControls(eq, panelControls(true), eqKnobs(), where), 0) << where;
  auto dyn = markings(drawDynBackground, kDynW, kDynH);
  EXPECT_EQ(markingsUnderControls(dyn, panelControls(false), dynKnobs(), where), 0) << where;
  auto top = markings(drawMainBackground, kEditorW, kEditorH);
  EXPECT_EQ(markingsUnderControls(top, topControls(), topKnobs(), where), 0) << where;
  // Nothing is printed where the panels go: it shows through a greyed panel.
  EXPECT_EQ(markedPixels(top, {kPanelX, kPanelTop, kEqW, kPanelBottom - kPanelTop}), 0);
  // And the markings exist: every knob has a name or a heading, and scales are drawn.
  EXPECT_GT(markedPixels(eq, {0, 0, kEqW, kEqH}), 2000);
  EXPECT_GT(markedPixels(dyn, {0, 0, kDynW, kDynH}), 800);
}

TEST(ArtworkFiles, TheToolWritesTheSameBytesEveryRun) {
  TempDir a, b;
  ASSERT_FALSE(a.path().empty());
  ASSERT_FALSE(b.path().empty());
  ASSERT_EQ(runTool("\"" + a.path() + "\""), 0);
  ASSERT_EQ(runTool("\"" + b.path() + "\""), 0);
  for (const std::string& f : bitmapFiles()) {
    std::string first = slurp(fs::path(a.path()) / f);
    ASSERT_FALSE(first.empty()) << f;
    EXPECT_EQ(first, slurp(fs::path(b.path()) / f)) << f;
    EXPECT_EQ(first, slurp(resource(f))) << f << " differs from the build's";
  }
}

TEST(ArtworkFiles, DoubleScaleDoublesEverySize) {
  TempDir d;
  ASSERT_EQ(runTool("--scale 2 \"" + d.path() + "\""), 0);
  for (const BitmapSpec& b : artworkSet()) {
    Image img(d.path() + "/" + b.file);
    ASSERT_TRUE(img.ok()) << b.file;
    EXPECT_EQ(img.width(), 2 * b.frameW) << b.file;
    EXPECT_EQ(img.height(), 2 * b.frameH * b.frames) << b.file;
  }
  // Flat surfaces stay flat: one logical pixel is a 2 x 2 block of equal pixels.
  Image one(resource("faderknob_10x7.png")), two(d.path() + "/faderknob_10x7.png");
  EXPECT_EQ(one.raw(4, 3), two.raw(8, 6));
  EXPECT_EQ(two.raw(8, 6), two.raw(9, 7));
  std::string sheet = d.path() + "/sheet.png";
  ASSERT_EQ(runTool("sheet --scale 2 \"" + d.path() + "\" \"" + sheet + "\""), 0);
  Image s(sheet);
  EXPECT_EQ(s.width(), 920);
  EXPECT_EQ(s.height(), 1280);
}

TEST(ArtworkTool, RefusesWhatItCannotDo) {
  EXPECT_EQ(runTool(""), 2);
  EXPECT_EQ(runTool("--scale 0 /tmp"), 1);
  EXPECT_EQ(runTool("--bogus /tmp"), 2);
  EXPECT_EQ(runTool("/nonexistent-ostrakon-dir/x"), 1);
  EXPECT_EQ(runTool("sheet /nonexistent-ostrakon-dir /tmp/ostrakon-never.png"), 1);
}

TEST(ArtworkSwitches, OnFramesAreUnmistakable) {
  for (const char* file : {"analogemulation115x7_2.png", "oversampling_94x7_2.png", "phaseinvert_88x7_2.png",
                           "dyn1_state_92x20_2.png", "dyn2_state_92x20_2.png", "eq_state_92x20_2.png"}) {
    const BitmapSpec& b = spec(file);
    Image img(resource(file));
    ASSERT_TRUE(img.ok());
    double diff = 0, offLuma = 0, onLuma = 0;
    int changed = 0, lit = 0;
    for (int y = 0; y < b.frameH; ++y)
      for (int x = 0; x < b.frameW; ++x) {
        Rgba off = img.at(x, y), on = img.at(x, y + b.frameH);
        double d = std::fabs(on.luma() - off.luma());
        diff += d;
        changed += d > 40;
        offLuma += off.luma();
        onLuma += on.luma();
        // A lamp: bright and strongly coloured.
        double sat = std::max({on.r, on.g, on.b}) - std::min({on.r, on.g, on.b});
        lit += on.a > 200 && std::max({on.r, on.g, on.b}) > 200 && sat > 80;
      }
    const int n = b.frameW * b.frameH;
    EXPECT_GT(onLuma, offLuma * 1.15) << file << ": on is not brighter";
    EXPECT_GT(changed, n / 20) << file << ": too few pixels change";
    EXPECT_GT(diff / n, 6.0) << file;
    EXPECT_GE(lit, 8) << file << ": no lamp lit";
  }
}

TEST(ArtworkSwitches, TypeSelectorHighlightsTheSliceItSelects) {
  const BitmapSpec& b = spec("dyn_type-all_81x67.png");
  Image img(resource(b.file));
  const int slice = b.frameH / 4;
  ASSERT_EQ(slice * 4, b.frameH) << "slices must cover the whole selector";
  for (int f = 0; f < 4; ++f) {
    double luma[4] = {0, 0, 0, 0};
    int accent[4] = {0, 0, 0, 0};
    for (int s = 0; s < 4; ++s)
      for (int y = s * slice; y < (s + 1) * slice; ++y)
        for (int x = 0; x < b.frameW; ++x) {
          Rgba p = img.at(x, f * b.frameH + y);
          luma[s] += p.luma();
          accent[s] += colourDistance(p, palette::dynAccent) < 40;
        }
    for (int s = 0; s < 4; ++s)
      if (s != f) {
        EXPECT_GT(luma[f], luma[s] * 1.3) << "frame " << f << " slice " << s;
        EXPECT_GT(accent[f], accent[s] + 10) << "frame " << f << " slice " << s;
      }
  }
}

TEST(ArtworkSwitches, RoutingFramesShowTheThreeOrders) {
  // The EQ tag is blue and the dynamics tags coral; the EQ sits second, first, last.
  const BitmapSpec& b = spec("arrange_20x22_2.png");
  Image img(resource(b.file));
  const int eqRow[3] = {1, 0, 2};
  for (int f = 0; f < 3; ++f) {
    int blue[3] = {0, 0, 0}, coral[3] = {0, 0, 0};
    for (int y = 0; y < b.frameH; ++y)
      for (int x = 0; x < b.frameW; ++x) {
        Rgba p = img.at(x, f * b.frameH + y);
        int row = std::clamp((y - 3) / 6, 0, 2);
        blue[row] += colourDistance(p, palette::eqAccent) < 30;
        coral[row] += colourDistance(p, palette::dynAccent) < 30;
      }
    for (int r = 0; r < 3; ++r) {
      if (r == eqRow[f]) {
        EXPECT_GT(blue[r], 10) << "frame " << f << " row " << r;
        EXPECT_EQ(coral[r], 0) << "frame " << f << " row " << r;
      } else {
        EXPECT_EQ(blue[r], 0) << "frame " << f << " row " << r;
        EXPECT_GT(coral[r], 10) << "frame " << f << " row " << r;
      }
    }
  }
}

namespace {

// Where the pointer points in a knob frame, in degrees from up, clockwise: the
// direction of the centroid of near-white pixels inside the cap.
double pointerAngle(const Image& img, int frame) {
  double sx = 0, sy = 0, w = 0;
  for (int y = 0; y < kKnobH; ++y)
    for (int x = 0; x < kKnobW; ++x) {
      double dx = x + 0.5 - kKnobCx, dy = y + 0.5 - kKnobCy;
      if (dx * dx + dy * dy > 12 * 12)
        continue;
      Rgba p = img.at(x, frame * kKnobH + y);
      double weight = std::max(0.0, p.luma() - 150.0);
      sx += dx * weight;
      sy += dy * weight;
      w += weight;
    }
  return std::atan2(sx, -sy) * 180.0 / M_PI;
}

} // namespace

TEST(ArtworkKnobs, PointerFollowsTheFrame) {
  for (const char* file : {"knob-pos.png", "knob-neg.png", "knob-mid.png", "knob-iogain3.png"}) {
    Image img(resource(file));
    for (int f : {0, 16, 32, 64, 96, 111, 127}) {
      double expected = -135.0 + 270.0 * f / 127.0;
      EXPECT_NEAR(pointerAngle(img, f), expected, 4.0) << file << " frame " << f;
    }
  }
}

TEST(ArtworkKnobs, LitArcGrowsFromEachKindsOrigin) {
  struct Kind {
    const char* file;
    KnobKind kind;
    int originFrame; // the frame whose arc is empty
  };
  // Gain knobs light from 0 dB: the centre, and 60/90 of the way for -60..+30 dB.
  const Kind kinds[] = {{"knob-pos.png", KnobKind::Pos, 0},
                        {"knob-neg.png", KnobKind::Neg, 127},
                        {"knob-mid.png", KnobKind::Mid, 63},
                        {"knob-iogain3.png", KnobKind::IoGain, 85}};
  for (const Kind& k : kinds) {
    Image img(resource(k.file));
    const Colour accent = knobAccent(k.kind);
    std::vector<int> lit;
    for (int f = 0; f < kKnobFrames; ++f)
      lit.push_back(countNear(img, f, kKnobH, accent, 40));
    EXPECT_LE(lit[k.originFrame], 2) << k.file;
    // Moving away from the origin never shrinks the arc, and a full turn lights a lot.
    for (int f = k.originFrame + 1; f < kKnobFrames; ++f)
      EXPECT_GE(lit[f], lit[f - 1]) << k.file << " frame " << f;
    for (int f = k.originFrame - 1; f >= 0; --f)
      EXPECT_GE(lit[f], lit[f + 1]) << k.file << " frame " << f;
    const int far = k.originFrame < 64 ? 127 : 0;
    EXPECT_GT(lit[far], 60 * std::abs(far - k.originFrame) / 127) << k.file;
  }
}
