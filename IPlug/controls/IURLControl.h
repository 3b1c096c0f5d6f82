#pragma once
// A click area that opens a web address, or a backup address when the first is empty or
// cannot be opened. Addresses longer than their buffers are cut.

#include "IPlug/IControl.h"

class IURLControl : public IControl
{
public:
  IURLControl(IPlugBase* plug, const IRECT* rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

  const char* GetURL() const { return mURL; }
  const char* GetBackupURL() const { return mBackupURL; }
  const char* GetErrMsg() const { return mErrMsg; }

protected:
  char mURL[256] = "";
  char mBackupURL[256] = "";
  char mErrMsg[1024] = "";
};
