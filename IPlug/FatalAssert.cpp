#include "IPlug/FatalAssert.h"

#include <cstdio>
#include <cstdlib>

void FatalAssertFailed(const char* expression, const char* function, const char* source)
{
  fprintf(stderr, "Assertion failed: (%s), function %s, file %s.\n", expression, function, source);
  fflush(stderr);
  abort();
}
