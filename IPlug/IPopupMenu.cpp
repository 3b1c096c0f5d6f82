#include "IPlug/IPopupMenu.h"

IPopupMenu::Item::Item(const char* text, int flags, IPopupMenu* submenu)
  : mText(text ? text : ""), mSubmenu(submenu), mFlags(flags)
{
}

IPopupMenu::Item::~Item() { delete mSubmenu; }

void IPopupMenu::Item::SetChecked(bool checked)
{
  mFlags = checked ? (mFlags | kChecked) : (mFlags & ~kChecked);
}

IPopupMenu::Item* IPopupMenu::AddItem(Item* item, int index)
{
  if (!item) return nullptr;
  Item* added = index < 0 ? mItems.Add(item) : mItems.Insert(index, item);
  if (!added) delete item;
  return added;
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int index, int flags)
{
  return AddItem(new Item(text, flags), index);
}

IPopupMenu::Item* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new Item("", Item::kSeparator), index);
}

const char* IPopupMenu::GetItemText(int index) const
{
  const Item* item = mItems.Get(index);
  return item ? item->GetText() : "";
}

void IPopupMenu::CheckItem(int index, bool checked)
{
  if (Item* item = mItems.Get(index)) item->SetChecked(checked);
}
