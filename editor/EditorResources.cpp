#include "editor/EditorGraphics.h"

#include "editor/EditorBitmaps.h"

#include <unistd.h>

std::vector<std::string> EditorResourceFolders(const std::string& besideBinary)
{
  std::vector<std::string> folders{besideBinary};
#ifdef OSTRAKON_RESOURCE_DIR
  if (besideBinary != OSTRAKON_RESOURCE_DIR) folders.push_back(OSTRAKON_RESOURCE_DIR);
#endif
  return folders;
}

bool HoldsEditorArtwork(const std::string& folder)
{
  return access((folder + "/" + kMainBackground.name).c_str(), R_OK) == 0;
}

std::string ChooseEditorResourceFolder(const std::vector<std::string>& folders)
{
  // A folder is taken whole, so an installation never mixes its artwork with a build's.
  for (const std::string& dir : folders)
    if (HoldsEditorArtwork(dir)) return dir;
  return folders.empty() ? std::string(".") : folders.front();
}
