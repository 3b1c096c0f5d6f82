#pragma once
// The graphics context without a window, for tests, the command line and benchmarks.
// The off-screen bitmap is the screen. What a user would answer - the item picked in a
// popup menu, the text typed into a field, the file chosen in a dialog, whether a web
// address opened - comes from a script the caller queues beforehand; with nothing
// queued, menus and dialogs are dismissed and text fields stay open until ended.
// Bitmaps are PNG files in a resources folder; PluginPath and HostPath report the
// plug-in's folder, by default the one holding the binary this code is linked into.

#include "IPlug/IGraphics.h"
#include "IPlug/PluginLocation.h"

#include <deque>
#include <string>
#include <vector>

class IGraphicsHeadless : public IGraphics
{
public:
  IGraphicsHeadless(IPlugBase* plug, int width, int height, int fps = 0);
  ~IGraphicsHeadless() override;

  // ----- where the plug-in lives -----

  void SetPluginFolder(const char* dir) { mLocation.SetPluginFolder(dir); }
  // Defaults to the "resources" folder inside the plug-in's folder.
  void SetResourceFolder(const char* dir) { mLocation.SetResourceFolder(dir); }
  const char* GetPluginFolder() const { return mLocation.PluginFolder().c_str(); }
  const char* GetResourceFolder() const { return mLocation.ResourceFolder().c_str(); }

  // ----- the user's answers, used in the order queued -----

  // The item index to pick in the next menu; -1 dismisses it.
  void QueueMenuChoice(int index) { mMenuChoices.push_back(index); }
  // What the user types into the next text field; the field keeps only the characters
  // its parameter allows, up to the control's entry length, and the edit then ends.
  void QueueTextEntry(const char* typed) { mTextEntries.push_back(typed ? typed : ""); }
  // The path chosen in the next file dialog; empty cancels it.
  void QueueFileChoice(const char* path) { mFileChoices.push_back(path ? path : ""); }
  // Whether the next OpenURL succeeds (true when nothing is queued).
  void QueueOpenURLResult(bool ok) { mURLResults.push_back(ok); }

  // ----- what was shown -----

  struct MenuShown
  {
    std::vector<std::string> items;
    std::vector<int> flags;
    int prefix = 0;
    IRECT rect;
  };
  struct TextEntryShown
  {
    IControl* control = nullptr;
    IParam* param = nullptr;
    std::string text;
    IRECT rect;
    int maxLength = 0;
    int align = 0;
  };
  struct FileDialogShown
  {
    EFileAction action = kFileOpen;
    std::string defaultName, dir, extensions;
  };

  const std::vector<MenuShown>& MenusShown() const { return mMenusShown; }
  const std::vector<TextEntryShown>& TextEntriesShown() const { return mTextEntriesShown; }
  const std::vector<FileDialogShown>& FileDialogsShown() const { return mFileDialogsShown; }
  const std::vector<std::string>& URLsOpened() const { return mURLsOpened; }
  bool TextEntryOpen() const { return mEditControl != nullptr; }
  // Ends the open text field as the user would, with typed as its text (filtered as
  // above); false when no field is open.
  bool FinishTextEntry(const char* typed);

  int ScreenDraws() const { return mScreenDraws; }
  IRECT LastScreenRect() const { return mLastScreenRect; }
  int BitmapsLoaded() const { return mBitmapsLoaded; }

  // One repaint tick of a platform timer: the dirty area, if any, drawn and shown.
  // Returns whether anything was dirty; the area drawn goes to drawn when given.
  bool RepaintDirty(IRECT* drawn = nullptr);
  // The screen as an 8-bit RGBA PNG file.
  bool WriteScreenPNG(const char* path) const;

  // ----- platform operations -----

  bool DrawScreen(IRECT* r) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mWindowOpen; }
  const char* GetGUIAPI() override { return "headless"; }
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                       IParam* param) override;
  void HostPath(WDL_String* path) override;
  void PluginPath(WDL_String* path) override;
  void PromptForFile(WDL_String* filename, EFileAction action, WDL_String* dir,
                     const char* extensions) override;
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  void* OpenWindow(void* parent) override;
  void* OpenWindow(void* window, void* control) override { return IGraphics::OpenWindow(window, control); }
  void CloseWindow() override;
  void* GetWindow() override { return mWindowOpen ? this : nullptr; }
  // name must end in ".png" (any case); its last path component is looked up in the
  // resources folder. The id is not used.
  raster::Bitmap* OSLoadBitmap(int id, const char* name) override;

private:
  void EndTextEntry(const char* typed);

  PluginLocation mLocation;
  bool mWindowOpen = false;
  std::deque<int> mMenuChoices;
  std::deque<std::string> mTextEntries, mFileChoices;
  std::deque<bool> mURLResults;
  std::vector<MenuShown> mMenusShown;
  std::vector<TextEntryShown> mTextEntriesShown;
  std::vector<FileDialogShown> mFileDialogsShown;
  std::vector<std::string> mURLsOpened;
  IControl* mEditControl = nullptr;
  IParam* mEditParam = nullptr;
  int mScreenDraws = 0;
  IRECT mLastScreenRect;
  int mBitmapsLoaded = 0;
};
