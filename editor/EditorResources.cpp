#include "editor/EditorGraphics.h"

#include "IPlug/BinaryFolder.h"

std::vector<std::string> EditorResourceFolders()
{
  std::vector<std::string> folders{BinaryFolder() + "/resources"};
#ifdef OSTRAKON_RESOURCE_DIR
  folders.push_back(OSTRAKON_RESOURCE_DIR);
#endif
  return folders;
}
