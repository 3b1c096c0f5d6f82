#include "IPlug/PluginLocation.h"

#include "raster/Png.h"

#include <dlfcn.h>
#include <strings.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace
{
// The binary (executable or shared object) this code was linked into.
std::string ThisBinary()
{
  char resolved[PATH_MAX];
  Dl_info info;
  if (dladdr((void*) &ThisBinary, &info) && info.dli_fname && strchr(info.dli_fname, '/') &&
      realpath(info.dli_fname, resolved))
    return resolved;
  if (realpath("/proc/self/exe", resolved)) return resolved;
  return std::string();
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash > 0 ? slash : 1);
}
} // namespace

PluginLocation::PluginLocation() : mBinaryPath(ThisBinary()), mPluginFolder(FolderOf(mBinaryPath))
{
  mResourceFolder = mPluginFolder + "/resources";
}

void PluginLocation::SetPluginFolder(const char* dir)
{
  mPluginFolder = dir && *dir ? dir : ".";
  if (!mResourceFolderSet) mResourceFolder = mPluginFolder + "/resources";
}

void PluginLocation::SetResourceFolder(const char* dir)
{
  mResourceFolder = dir && *dir ? dir : ".";
  mResourceFolderSet = true;
}

LICE_MemBitmap* PluginLocation::LoadPNG(const char* name) const
{
  if (!name) return nullptr;
  const char* dot = strrchr(name, '.');
  const char* ext = dot ? dot + 1 : name;
  if (strcasecmp(ext, "png") != 0) return nullptr;
  const char* slash = strrchr(name, '/');
  const char* base = slash ? slash + 1 : name;
  const std::string stem(base, dot && dot > base ? (size_t) (dot - base) : 0);
  if (stem.empty()) return nullptr;
  return LICE_LoadPNG((mResourceFolder + "/" + stem + ".png").c_str());
}
