#pragma once
// A popup menu the graphics context asks the platform to show: items with a text, an
// optional submenu and flags, a numbering-prefix mode, and the item the user chose.

#include "IPlug/WDL/WDL_PtrList.h"
#include "IPlug/WDL/WDL_String.h"

class IPopupMenu
{
public:
  class Item
  {
  public:
    enum Flags
    {
      kNoFlags = 0,
      kDisabled = 1,
      kTitle = 2, // shown indented
      kChecked = 4,
      kSeparator = 8
    };

    // The item owns its submenu.
    explicit Item(const char* text, int flags = kNoFlags, IPopupMenu* submenu = nullptr);
    ~Item();
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    const char* GetText() const { return mText.Get(); }
    void SetText(const char* text) { mText.Set(text ? text : ""); }
    int GetFlags() const { return mFlags; }
    void SetFlags(int flags) { mFlags = flags; }
    IPopupMenu* GetSubmenu() const { return mSubmenu; }
    bool GetEnabled() const { return !(mFlags & kDisabled); }
    bool GetChecked() const { return (mFlags & kChecked) != 0; }
    bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
    bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
    void SetChecked(bool checked);

  private:
    WDL_String mText;
    IPopupMenu* mSubmenu;
    int mFlags;
  };

  IPopupMenu() = default;
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Appends (index < 0) or inserts before index; the menu owns the item. Returns it, or
  // null when the list could not grow (the item is then deleted).
  Item* AddItem(Item* item, int index = -1);
  Item* AddItem(const char* text, int index = -1, int flags = Item::kNoFlags);
  Item* AddSeparator(int index = -1);

  int GetNItems() const { return mItems.GetSize(); }
  Item* GetItem(int index) const { return mItems.Get(index); } // null outside the list
  const char* GetItemText(int index) const;                    // "" outside the list
  void CheckItem(int index, bool checked);

  // 0 none, 1 "1: ", 2 "01: ", 3 "001: " in front of each item's text.
  void SetPrefix(int mode) { mPrefix = mode; }
  int GetPrefix() const { return mPrefix; }

  // -1 until the platform sets the user's choice.
  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

private:
  WDL_PtrList_DeleteOnDestroy<Item> mItems{16 * (int) sizeof(Item*)};
  int mPrefix = 0;
  int mChosenItemIdx = -1;
};
