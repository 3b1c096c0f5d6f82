#pragma once
// The strip's graphics context in an X11 window: the X11 platform, its bitmaps from the
// first of the editor's resource folders that holds them, as the headless one finds them.

#include "IPlug/IGraphicsX11.h"

#include <string>
#include <vector>

class EditorGraphicsX11 : public IGraphicsX11
{
public:
  // Without folders, those of EditorResourceFolders beside this binary.
  EditorGraphicsX11(IPlugBase* plug, int width, int height, int fps,
                    const std::vector<std::string>& folders = {});

  // The folders considered, the one in use first.
  const std::vector<std::string>& GetCandidateFolders() const { return mCandidates; }

  void DescribeBitmapLookup(int id, const char* name, WDL_String* places) override;

private:
  std::vector<std::string> mCandidates;
  bool mArtworkFound = false;
};
