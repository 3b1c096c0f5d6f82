#include "IPlug/controls/IFileSelectorControl.h"

#include "IPlug/IPlugBase.h"

IFileSelectorControl::IFileSelectorControl(IPlugBase* plug, const IRECT* rect, int paramIdx,
                                           const IBitmap* bitmap, EFileAction action, const char* dir,
                                           const char* extensions)
  : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap()), mDir(dir ? dir : ""),
    mExtensions(extensions ? extensions : ""), mFileAction(action)
{
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!graphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  graphics->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get());
  double v = GetValue() + 1.0;
  if (v > 1.0) v = 0.0;
  SetValue(v);
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics)
{
  if (mState == kFSSelecting) return graphics->DrawBitmap(&mBitmap, &mRECT, 1, &mBlend);
  return true;
}

bool IFileSelectorControl::IsDirty()
{
  if (IControl::IsDirty()) return true;
  if (mState == kFSDone)
  {
    mState = kFSNone;
    return true;
  }
  return false;
}

void IFileSelectorControl::GetLastSelectedFileForPlug(WDL_String* path) const
{
  if (path) path->Set(mFile.Get());
}

void IFileSelectorControl::SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file ? file : ""); }
