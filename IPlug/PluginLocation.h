#pragma once
// Where a plug-in lives on disk: the binary this code is linked into (a shared object or
// an executable), the folder holding it, and the "resources" folder beside the binary
// from which the editor's PNG bitmaps are loaded. Either folder can be set instead.

#include "raster/Bitmap.h"

#include <string>

class PluginLocation
{
public:
  PluginLocation();

  // The resources folder follows the plug-in folder until it is set itself.
  void SetPluginFolder(const char* dir);
  void SetResourceFolder(const char* dir);

  // Full path of the binary; empty when it cannot be found.
  const std::string& BinaryPath() const { return mBinaryPath; }
  const std::string& PluginFolder() const { return mPluginFolder; }
  const std::string& ResourceFolder() const { return mResourceFolder; }

  // name must end in ".png" (any case); its last path component is looked up in the
  // resources folder. A new bitmap owned by the caller, or null.
  LICE_MemBitmap* LoadPNG(const char* name) const;

private:
  std::string mBinaryPath, mPluginFolder, mResourceFolder;
  bool mResourceFolderSet = false;
};
