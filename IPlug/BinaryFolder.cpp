#include "IPlug/BinaryFolder.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>

std::string BinaryFolder()
{
  std::string path;
  Dl_info info;
  if (dladdr((void*) &BinaryFolder, &info) && info.dli_fname && strchr(info.dli_fname, '/'))
  {
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved)) path = resolved;
  }
  if (path.empty())
  {
    char resolved[PATH_MAX];
    if (realpath("/proc/self/exe", resolved)) path = resolved;
  }
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash > 0 ? slash : 1);
}
