#include "resources/SwitchArt.h"

#include "resources/Layout.h"
#include "resources/Palette.h"

#include <array>

namespace artwork {

namespace {

// Draws frame i of an n-frame strip: translate to the frame and clip to it.
template <typename F>
void eachFrame(const ArtCanvas& c, int n, int w, int h, F draw) {
  for (int i = 0; i < n; ++i) {
    cairo_save(c.cr());
    cairo_translate(c.cr(), 0, i * h);
    cairo_rectangle(c.cr(), 0, 0, w, h);
    cairo_clip(c.cr());
    draw(i);
    cairo_restore(c.cr());
  }
}

// 3 x 5 pixel glyphs for the routing tags, so they stay sharp at 1x.
const std::array<const char*, 5>& glyph(char ch) {
  static const std::array<const char*, 5> d = {"##.", "#.#", "#.#", "#.#", "##."};
  static const std::array<const char*, 5> e = {"###", "#..", "##.", "#..", "###"};
  static const std::array<const char*, 5> q = {".#.", "#.#", "#.#", "#.#", ".##"};
  static const std::array<const char*, 5> one = {".#.", "##.", ".#.", ".#.", "###"};
  static const std::array<const char*, 5> two = {"##.", "..#", ".#.", "#..", "###"};
  switch (ch) {
  case 'D': return d;
  case 'E': return e;
  case 'Q': return q;
  case '1': return one;
  default: return two;
  }
}

void pixelText(const ArtCanvas& c, const char* s, int x, int y, const Colour& col) {
  for (; *s; ++s, x += 4) {
    const auto& g = glyph(*s);
    for (int row = 0; row < 5; ++row)
      for (int px = 0; px < 3; ++px)
        if (g[row][px] == '#')
          c.fillRect(x + px, y + row, 1, 1, col);
  }
}

} // namespace

void drawToggle(const ArtCanvas& c, const std::string& name, const Colour& lampColour) {
  const int w = layout::kToggleW, h = layout::kToggleH;
  eachFrame(c, 2, w, h, [&](int on) {
    Colour face = on ? Colour::rgb(0x272b31) : Colour::rgb(0x1a1d21);
    Colour edge = on ? palette::edgeLight.mix(lampColour, 0.45) : Colour::rgb(0x2c3138);
    c.fillRoundRect(0, 0, w, h, 3.5, palette::edgeDark);
    c.fillRoundRect(1, 1, w - 2, h - 2, 2.5, edge);
    c.fillRoundRect(2, 2, w - 4, h - 4, 1.5, face);
    c.lamp(9.5, h / 2.0, 3.0, lampColour, on);
    c.text(name, 19, 11, Type{true, 7.5, 0.8}, on ? palette::labelBright : palette::labelDim);
  });
}

void drawStateSwitch(const ArtCanvas& c, const std::string& name, const Colour& accent) {
  const int w = layout::kStateW, h = layout::kStateH;
  eachFrame(c, 2, w, h, [&](int on) {
    c.fillRect(0, 0, w, h, palette::edgeDark);
    c.fillRect(1, 1, w - 2, h - 2, palette::tabFace);
    c.fillRect(1, 1, w - 2, 1, palette::edgeLight);
    if (on) {
      c.fillRect(1, 2, w - 2, h - 3, accent.withAlpha(0.10));
      c.fillRect(1, h - 3, w - 2, 2, accent);
    }
    c.lamp(10.5, 10, 3.5, accent, on);
    c.text(name, 20, 13.5, Type{true, 8.5, 1.0}, on ? palette::labelBright : palette::labelDim);
  });
}

void drawArrangeSwitch(const ArtCanvas& c) {
  const int w = layout::kArrangeW, h = layout::kArrangeH;
  // Stage order of each routing value, top to bottom.
  static const char* const orders[3][3] = {{"D1", "EQ", "D2"}, {"EQ", "D1", "D2"}, {"D1", "D2", "EQ"}};
  eachFrame(c, 3, w, h, [&](int r) {
    c.fillRect(0, 0, w, h, palette::edgeDark);
    c.fillRect(1, 1, w - 2, h - 2, palette::tabFace);
    c.fillRect(1, 1, w - 2, 1, palette::edgeLight);
    // Flow arrow down the left side.
    Colour arrow = palette::labelDim;
    c.fillRect(3, 3, 1, 14, arrow);
    c.fillRect(2, 16, 3, 1, arrow);
    c.fillRect(1, 15, 5, 1, arrow);
    c.fillRect(3, 17, 1, 1, arrow);
    for (int i = 0; i < 3; ++i) {
      const char* tag = orders[r][i];
      Colour col = tag[0] == 'E' ? palette::eqAccent : palette::dynAccent;
      pixelText(c, tag, 9, 3 + 6 * i, col);
    }
  });
}

void drawTypeSelector(const ArtCanvas& c) {
  const int w = layout::kTypeW, h = layout::kTypeH, slice = h / 4;
  static const char* const names[4] = {"VCA", "FET", "OPTO", "EXPANDER"};
  eachFrame(c, 4, w, h, [&](int sel) {
    c.fillRoundRect(0, 0, w, h, 3, palette::edgeDark);
    c.fillRoundRect(1, 1, w - 2, h - 2, 2, Colour::rgb(0x2a2f36));
    c.fillRoundRect(2, 2, w - 4, h - 4, 1.5, Colour::rgb(0x16191d));
    for (int i = 1; i < 4; ++i)
      c.fillRect(4, i * slice, w - 8, 1, Colour::rgb(0x23272d));
    for (int i = 0; i < 4; ++i) {
      const double y0 = i * slice;
      const bool on = i == sel;
      if (on) {
        c.fillRect(2, y0 + 2, w - 4, slice - 3, palette::dynAccent.withAlpha(0.13));
        c.fillRect(2, y0 + 2, 2, slice - 3, palette::dynAccent);
      }
      c.lamp(10.5, y0 + slice / 2.0, 2.5, palette::dynAccent, on);
      c.text(names[i], 18, y0 + 11, Type{true, 7.5, 0.8}, on ? palette::labelBright : palette::labelDim);
    }
  });
}

void drawFaderHandle(const ArtCanvas& c) {
  const int w = layout::kFaderW, h = layout::kFaderH;
  c.fillRoundRect(0, 0, w, h, 1.5, palette::edgeDark);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 1, 0, h - 1);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.86, 0.88, 0.91);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.58, 0.61, 0.65);
  cairo_set_source(c.cr(), g);
  c.roundRectPath(1, 1, w - 2, h - 2, 1);
  cairo_fill(c.cr());
  cairo_pattern_destroy(g);
  c.fillRect(2, 3, w - 4, 1, Colour::rgb(0x2b2f35));
}

} // namespace artwork
