#include "IPlug/IGraphicsHeadless.h"

#include "IPlug/IControl.h"
#include "IPlug/IParam.h"
#include "IPlug/TextEntryFilter.h"
#include "raster/Bitmap.h"
#include "raster/Png.h"


IGraphicsHeadless::IGraphicsHeadless(IPlugBase* plug, int width, int height, int fps)
  : IGraphics(plug, width, height, fps)
{
}

IGraphicsHeadless::~IGraphicsHeadless() { CloseWindow(); }

bool IGraphicsHeadless::RepaintDirty(IRECT* drawn)
{
  IRECT r;
  if (!IsDirty(&r)) return false;
  Draw(&r);
  if (drawn) *drawn = r;
  return true;
}

bool IGraphicsHeadless::WriteScreenPNG(const char* path) const
{
  return raster::WritePNG(GetDrawBitmap(), path);
}

bool IGraphicsHeadless::DrawScreen(IRECT* r)
{
  ++mScreenDraws;
  mLastScreenRect = r ? *r : IRECT();
  return true;
}

void IGraphicsHeadless::ForceEndUserEdit()
{
  // Ends the field without handing its text on, as losing the window would.
  mEditControl = nullptr;
  mEditParam = nullptr;
}

void IGraphicsHeadless::Resize(int w, int h)
{
  IGraphics::Resize(w, h);
  if (raster::Bitmap* screen = GetDrawBitmap()) screen->Resize(DeviceWidth(), DeviceHeight());
}

IPopupMenu* IGraphicsHeadless::CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect)
{
  ReleaseMouseCapture();
  if (!menu) return nullptr;
  MenuShown shown;
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    shown.items.push_back(menu->GetItemText(i));
    shown.flags.push_back(menu->GetItem(i)->GetFlags());
  }
  shown.prefix = menu->GetPrefix();
  if (areaRect) shown.rect = *areaRect;
  mMenusShown.push_back(shown);

  if (mMenuChoices.empty()) return nullptr;
  const int choice = mMenuChoices.front();
  mMenuChoices.pop_front();
  if (choice < 0 || choice >= menu->GetNItems()) return nullptr;
  menu->SetChosenItemIdx(choice);
  return menu;
}

void IGraphicsHeadless::CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                                        IParam* param)
{
  if (!control || mEditControl) return;
  TextEntryShown shown;
  shown.control = control;
  shown.param = param;
  shown.text = str ? str : "";
  if (textRect) shown.rect = *textRect;
  shown.maxLength = control->GetTextEntryLength();
  shown.align = text ? text->mAlign : 0;
  mTextEntriesShown.push_back(shown);
  mEditControl = control;
  mEditParam = param;
  if (!mTextEntries.empty())
  {
    const std::string typed = mTextEntries.front();
    mTextEntries.pop_front();
    FinishTextEntry(typed.c_str());
  }
}

bool IGraphicsHeadless::FinishTextEntry(const char* typed)
{
  if (!mEditControl) return false;
  // Keystrokes the field refuses leave no trace.
  const TextEntryFilter filter(mEditParam, mEditControl->GetTextEntryLength());
  std::string kept;
  for (const char* p = typed ? typed : ""; *p; ++p)
    if (filter.IsPartialStringValid((kept + *p).c_str())) kept += *p;
  EndTextEntry(kept.c_str());
  return true;
}

void IGraphicsHeadless::EndTextEntry(const char* typed)
{
  IControl* control = mEditControl;
  IParam* param = mEditParam;
  mEditControl = nullptr;
  mEditParam = nullptr;
  if (param)
    SetFromStringAfterPrompt(control, param, typed);
  else
    control->TextFromTextEntry(typed);
}

void IGraphicsHeadless::HostPath(WDL_String* path)
{
  if (path) path->Set((mLocation.PluginFolder() + "/").c_str());
}

void IGraphicsHeadless::PluginPath(WDL_String* path)
{
  if (path) path->Set((mLocation.PluginFolder() + "/").c_str());
}

void IGraphicsHeadless::PromptForFile(WDL_String* filename, EFileAction action, WDL_String* dir,
                                      const char* extensions)
{
  if (!filename) return;
  FileDialogShown shown;
  shown.action = action;
  shown.defaultName = filename->Get();
  shown.dir = dir ? dir->Get() : "";
  shown.extensions = extensions ? extensions : "";
  mFileDialogsShown.push_back(shown);
  filename->Set("");
  if (mFileChoices.empty()) return;
  const std::string chosen = mFileChoices.front();
  mFileChoices.pop_front();
  if (chosen.empty()) return;
  filename->Set(chosen.c_str());
  if (dir)
  {
    const size_t slash = chosen.rfind('/');
    dir->Set(slash == std::string::npos ? "" : chosen.substr(0, slash + 1).c_str());
  }
}

bool IGraphicsHeadless::OpenURL(const char* url, const char*, const char*, const char*)
{
  mURLsOpened.push_back(url ? url : "");
  if (mURLResults.empty()) return true;
  const bool ok = mURLResults.front();
  mURLResults.pop_front();
  return ok;
}

void* IGraphicsHeadless::OpenWindow(void*)
{
  CloseWindow();
  mWindowOpen = true;
  return this;
}

void IGraphicsHeadless::CloseWindow()
{
  ForceEndUserEdit();
  mWindowOpen = false;
}

raster::Bitmap* IGraphicsHeadless::OSLoadBitmap(int, const char* name)
{
  raster::Bitmap* bitmap = mLocation.LoadPNG(name);
  if (bitmap) ++mBitmapsLoaded;
  return bitmap;
}
