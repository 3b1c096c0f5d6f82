#pragma once
// A click area that asks the platform for a file to open or save. Its bitmap shows while
// the dialog is up; each completed choice flips the value between 0 and 1.

#include "IPlug/IBitmap.h"
#include "IPlug/IControl.h"
#include "IPlug/IGraphics.h"
#include "IPlug/WDL/WDL_String.h"

class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState
  {
    kFSNone = 0,
    kFSSelecting = 1,
    kFSDone = 2
  };

  IFileSelectorControl(IPlugBase* plug, const IRECT* rect, int paramIdx, const IBitmap* bitmap,
                       EFileAction action, const char* dir = "", const char* extensions = "");

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // True once more after a completed choice, which also ends the done state.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(WDL_String* path) const;
  void SetLastSelectedFileFromPlug(const char* file);
  EFileSelectorState GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  WDL_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};
