#include "IPlug/Hosts.h"

namespace
{
struct KnownHost
{
  const char* mSubstring; // lower case
  int mID;
};

// Searched in this order; the first substring found gives the ID.
constexpr KnownHost kKnownHosts[] = {
  {"standalone", 23}, {"cubase", 3},     {"reaper", 1},     {"nuendo", 4},      {"cakewalk", 5},
  {"samplitude", 8},  {"fruity", 7},     {"live", 9},       {"melodyne", 12},   {"vstmanlib", 13},
  {"aulab", 14},      {"forte", 15},     {"chainer", 16},   {"audition", 17},   {"orion", 18},
  {"sawstudio", 20},  {"logic", 21},     {"digital", 22},   {"audiomulch", 24}, {"presonus vst2 host", 25},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? (char) (c - 'A' + 'a') : c; }

// Compares in place rather than through a lower-cased copy, so a name of any length is
// searched whole.
bool ContainsFolded(const char* text, const char* lowerNeedle)
{
  for (const char* t = text; *t; ++t)
  {
    const char* a = t;
    const char* b = lowerNeedle;
    while (*a && *b && Lower(*a) == *b)
    {
      ++a;
      ++b;
    }
    if (!*b) return true;
  }
  return false;
}
} // namespace

int LookUpHost(const char* name)
{
  if (!name) return 0;
  for (const KnownHost& h : kKnownHosts)
    if (ContainsFolded(name, h.mSubstring)) return h.mID;
  return 0;
}
