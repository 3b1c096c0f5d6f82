// Writes the strip's LV2 bundle Turtle (manifest.ttl, ostrakon.ttl) into a directory.

#include "IPlug/IPlugLV2Ttl.h"
#include "engine/OstrakonLV2.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    fprintf(stderr, "usage: %s BUNDLE_DIR\n", argc > 0 ? argv[0] : "ostrakon_lv2_ttl");
    return 2;
  }
  std::string error;
  if (!WriteLV2BundleTtl(kOstrakonLV2Bundle, argv[1], &error))
  {
    fprintf(stderr, "ostrakon_lv2_ttl: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
