#include "IPlug/controls/IURLControl.h"

#include "IPlug/IGraphics.h"
#include "IPlug/IPlugBase.h"

#include <cstdio>

IURLControl::IURLControl(IPlugBase* plug, const IRECT* rect, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
  : IControl(plug, rect)
{
  if (url && *url) snprintf(mURL, sizeof mURL, "%s", url);
  if (backupURL && *backupURL) snprintf(mBackupURL, sizeof mBackupURL, "%s", backupURL);
  if (errMsgOnFailure && *errMsgOnFailure) snprintf(mErrMsg, sizeof mErrMsg, "%s", errMsgOnFailure);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!graphics) return;
  const char* err = mErrMsg[0] ? mErrMsg : nullptr;
  bool opened = false;
  if (mURL[0]) opened = graphics->OpenURL(mURL, nullptr, nullptr, err);
  if (!opened && mBackupURL[0]) graphics->OpenURL(mBackupURL, nullptr, nullptr, err);
}
