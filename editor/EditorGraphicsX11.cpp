#include "editor/EditorGraphicsX11.h"

#include "editor/EditorGraphics.h"

EditorGraphicsX11::EditorGraphicsX11(IPlugBase* plug, int width, int height, int fps,
                                     const std::vector<std::string>& folders)
  : IGraphicsX11(plug, width, height, fps)
{
  mCandidates = folders.empty() ? EditorResourceFolders(GetResourceFolder()) : folders;
  const std::string chosen = ChooseEditorResourceFolder(mCandidates);
  mArtworkFound = HoldsEditorArtwork(chosen);
  SetResourceFolder(chosen.c_str());
  OrderEditorResourceFolders(&mCandidates, chosen);
}

void EditorGraphicsX11::DescribeBitmapLookup(int, const char* name, WDL_String* places)
{
  if (places) places->Set(DescribeEditorBitmapLookup(name, GetResourceFolder(), mCandidates, mArtworkFound).c_str());
}
