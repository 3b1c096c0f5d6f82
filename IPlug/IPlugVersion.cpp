#include "IPlug/IPlugVersion.h"

#include <cstdio>

void GetVersionParts(int version, int* major, int* minor, int* bugfix)
{
  const unsigned v = (unsigned) version;
  if (major) *major = (int) (v >> 16);
  if (minor) *minor = (int) ((v >> 8) & 0xFF);
  if (bugfix) *bugfix = (int) (v & 0xFF);
}

int GetDecimalVersion(int version)
{
  int major, minor, bugfix;
  GetVersionParts(version, &major, &minor, &bugfix);
  return major * 10000 + minor * 100 + bugfix;
}

void GetVersionStr(int version, char* out)
{
  if (!out) return;
  int major, minor, bugfix;
  GetVersionParts(version, &major, &minor, &bugfix);
  snprintf(out, MAX_VERSION_STR_LEN, "v%d.%d.%d", major, minor, bugfix);
}
