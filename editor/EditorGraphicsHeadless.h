#pragma once
// The strip's graphics context when it has no window: the headless platform, its
// bitmaps from the first of the editor's resource folders that holds them.

#include "IPlug/IGraphicsHeadless.h"

#include <string>
#include <vector>

class EditorGraphicsHeadless : public IGraphicsHeadless
{
public:
  // Without folders, those of EditorResourceFolders beside this binary.
  EditorGraphicsHeadless(IPlugBase* plug, int width, int height, int fps,
                         const std::vector<std::string>& folders = {});

  // The folders considered, the one in use first.
  const std::vector<std::string>& GetCandidateFolders() const { return mCandidates; }

  // The file in the folder in use, and, when no folder held the artwork, the others.
  void DescribeBitmapLookup(int id, const char* name, WDL_String* places) override;

private:
  std::vector<std::string> mCandidates;
  bool mArtworkFound = false;
};
