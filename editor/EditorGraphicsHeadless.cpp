#include "editor/EditorGraphicsHeadless.h"

#include "editor/EditorGraphics.h"

EditorGraphicsHeadless::EditorGraphicsHeadless(IPlugBase* plug, int width, int height, int fps,
                                               const std::vector<std::string>& folders)
  : IGraphicsHeadless(plug, width, height, fps)
{
  // The headless platform starts from the "resources" folder beside the binary.
  mCandidates = folders.empty() ? EditorResourceFolders(GetResourceFolder()) : folders;
  const std::string chosen = ChooseEditorResourceFolder(mCandidates);
  mArtworkFound = HoldsEditorArtwork(chosen);
  SetResourceFolder(chosen.c_str());
  OrderEditorResourceFolders(&mCandidates, chosen);
}

void EditorGraphicsHeadless::DescribeBitmapLookup(int, const char* name, WDL_String* places)
{
  if (places) places->Set(DescribeEditorBitmapLookup(name, GetResourceFolder(), mCandidates, mArtworkFound).c_str());
}
