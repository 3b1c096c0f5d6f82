// The default graphics context: headless, its bitmaps from the editor's resource folders.

#include "IPlug/IGraphicsHeadless.h"
#include "editor/EditorGraphics.h"

IGraphics* MakeGraphics(IPlugBase* plug, int width, int height, int fps)
{
  IGraphicsHeadless* g = new IGraphicsHeadless(plug, width, height, fps);
  const std::vector<std::string> folders = EditorResourceFolders();
  if (!folders.empty()) g->SetResourceFolder(folders[0].c_str());
  for (size_t i = 1; i < folders.size(); ++i) g->AddFallbackResourceFolder(folders[i].c_str());
  return g;
}
