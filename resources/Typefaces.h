// The two faces the artwork is lettered in: Liberation Sans regular and bold
// (Debian package fonts-liberation2).
#pragma once

#include "resources/FontFace.h"

namespace artwork {

class Typefaces {
public:
  Typefaces() : mRegular("Liberation Sans", "Regular"), mBold("Liberation Sans", "Bold") {}
  const FontFace& regular() const { return mRegular; }
  const FontFace& bold() const { return mBold; }

private:
  FontFace mRegular;
  FontFace mBold;
};

} // namespace artwork
