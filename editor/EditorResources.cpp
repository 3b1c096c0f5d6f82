#include "editor/EditorGraphics.h"

#include "editor/EditorBitmaps.h"

#include <unistd.h>

#include <algorithm>

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

void OrderEditorResourceFolders(std::vector<std::string>* folders, const std::string& inUse)
{
  std::stable_partition(folders->begin(), folders->end(), [&](const std::string& d) { return d == inUse; });
}

std::string DescribeEditorBitmapLookup(const char* name, const std::string& inUse,
                                       const std::vector<std::string>& candidates, bool artworkFound)
{
  const std::string base = name ? name : "";
  const size_t slash = base.rfind('/');
  const std::string file = slash == std::string::npos ? base : base.substr(slash + 1);
  std::string text = inUse + "/" + file;
  if (!artworkFound && candidates.size() > 1)
  {
    text += "; the editor's artwork is in none of";
    for (size_t i = 0; i < candidates.size(); ++i) text += (i ? ", " : " ") + candidates[i];
  }
  return text;
}
