// ostrakon-artwork: draws the editor's bitmaps, or a mock of the whole editor.
//   ostrakon-artwork [--scale N] [--suffix S] OUTDIR
//   ostrakon-artwork sheet [--scale N] [--routing R] [--busy] ARTDIR OUT.png
#include "resources/ArtworkSet.h"
#include "resources/ContactSheet.h"
#include "resources/Layout.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int usage() {
  std::fprintf(stderr, "usage: ostrakon-artwork [--scale N] [--suffix S] OUTDIR\n"
                       "       ostrakon-artwork sheet [--scale N] [--routing R] [--busy] ARTDIR OUT.png\n");
  return 2;
}

int toInt(const std::string& s, int lo, int hi) {
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || v < lo || v > hi)
    throw std::runtime_error("bad number: " + s);
  return int(v);
}

// 1, 1.5, 2, 3 or 4.
double toScale(const std::string& s) {
  for (double v : {1.0, 1.5, 2.0, 3.0, 4.0}) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    if (s == text)
      return v;
  }
  throw std::runtime_error("bad scale: " + s + " (1, 1.5, 2, 3 or 4)");
}

int run(std::vector<std::string> args) {
  bool sheet = !args.empty() && args[0] == "sheet";
  if (sheet)
    args.erase(args.begin());
  double scale = 1;
  std::string suffix;
  artwork::SheetState state;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--scale" && i + 1 < args.size())
      scale = toScale(args[++i]);
    else if (!sheet && args[i] == "--suffix" && i + 1 < args.size())
      suffix = args[++i];
    else if (sheet && args[i] == "--routing" && i + 1 < args.size())
      state.routing = toInt(args[++i], 0, 2);
    else if (sheet && args[i] == "--busy")
      state.busy = true;
    else if (args[i].rfind("--", 0) == 0)
      return usage();
    else
      rest.push_back(args[i]);
  }
  if (rest.size() != (sheet ? 2u : 1u))
    return usage();
  const artwork::Typefaces faces;
  if (sheet) {
    artwork::ArtCanvas c(faces, artwork::layout::kEditorW, artwork::layout::kEditorH, scale);
    artwork::drawContactSheet(c, rest[0], state);
    c.writePng(rest[1]);
  } else {
    artwork::writeArtwork(faces, rest[0], scale, suffix);
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  int rc = 0;
  try {
    rc = run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ostrakon-artwork: %s\n", e.what());
    rc = 1;
  }
  // Release cairo's and fontconfig's caches so leak checkers see a clean exit.
  cairo_debug_reset_static_data();
  FcFini();
  return rc;
}
