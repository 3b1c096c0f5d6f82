#include "resources/Inset.h"

#include "resources/Palette.h"

namespace artwork {

void drawInset(const ArtCanvas& c, double x, double y, double w, double h, const Colour& fill) {
  c.fillRect(x - 1, y - 1, w + 2, 1, palette::edgeDark);
  c.fillRect(x - 1, y, 1, h, palette::edgeDark.mix(palette::edgeLight, 0.3));
  c.fillRect(x + w, y, 1, h, palette::edgeDark.mix(palette::edgeLight, 0.3));
  c.fillRect(x - 1, y + h, w + 2, 1, palette::edgeLight);
  c.fillRect(x, y, w, h, fill);
}

} // namespace artwork
