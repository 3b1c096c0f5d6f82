#include "editor/EditorGraphicsHeadless.h"

#include "editor/EditorGraphics.h"

#include <algorithm>

EditorGraphicsHeadless::EditorGraphicsHeadless(IPlugBase* plug, int width, int height, int fps,
                                               const std::vector<std::string>& folders)
  : IGraphicsHeadless(plug, width, height, fps)
{
  // The headless platform starts from the "resources" folder beside the binary.
  mCandidates = folders.empty() ? EditorResourceFolders(GetResourceFolder()) : folders;
  const std::string chosen = ChooseEditorResourceFolder(mCandidates);
  mArtworkFound = HoldsEditorArtwork(chosen);
  SetResourceFolder(chosen.c_str());
  std::stable_partition(mCandidates.begin(), mCandidates.end(), [&](const std::string& d) { return d == chosen; });
}

void EditorGraphicsHeadless::DescribeBitmapLookup(int, const char* name, WDL_String* places)
{
  if (!places) return;
  const std::string base = name ? name : "";
  const size_t slash = base.rfind('/');
  const std::string file = slash == std::string::npos ? base : base.substr(slash + 1);
  std::string text = std::string(GetResourceFolder()) + "/" + file;
  if (!mArtworkFound && mCandidates.size() > 1)
  {
    text += "; the editor's artwork is in none of";
    for (size_t i = 0; i < mCandidates.size(); ++i) text += (i ? ", " : " ") + mCandidates[i];
  }
  places->Set(text.c_str());
}

IGraphics* MakeGraphics(IPlugBase* plug, int width, int height, int fps)
{
  return new EditorGraphicsHeadless(plug, width, height, fps);
}
