// The popup menu without a server: titles with numbering prefixes, rows, and choosing
// with the keyboard and the pointer.

#include "tests/gui/GuiTestSupport.h"

#include "IPlug/IPopupMenu.h"
#include "IPlug/x11/X11PopupMenu.h"

#include <X11/keysym.h>

TEST(X11PopupMenu, NumberingPrefixesCountItemsFromOne)
{
  IPopupMenu menu;
  menu.AddItem("Soft");
  menu.AddItem("Hard");
  menu.AddItem("Auto");
  EXPECT_EQ(X11PopupMenu::Title(menu, 0), "Soft");
  menu.SetPrefix(1);
  EXPECT_EQ(X11PopupMenu::Title(menu, 2), "3: Auto");
  menu.SetPrefix(2);
  EXPECT_EQ(X11PopupMenu::Title(menu, 0), "01: Soft");
  EXPECT_EQ(X11PopupMenu::Title(menu, 1), "02: Hard");
  EXPECT_EQ(X11PopupMenu::Title(menu, 2), "03: Auto");
  menu.SetPrefix(3);
  EXPECT_EQ(X11PopupMenu::Title(menu, 1), "002: Hard");
  menu.SetPrefix(4);
  EXPECT_EQ(X11PopupMenu::Title(menu, 1), "Hard");
}

namespace
{
// "a", separator, "b" (disabled), a submenu (left out), "c" (checked, indented).
struct Menu
{
  IPopupMenu menu;
  Menu()
  {
    menu.AddItem("a");
    menu.AddSeparator();
    menu.AddItem("b", -1, IPopupMenu::Item::kDisabled);
    menu.AddItem(new IPopupMenu::Item("sub", 0, new IPopupMenu));
    menu.AddItem("c", -1, IPopupMenu::Item::kChecked | IPopupMenu::Item::kTitle);
  }
};
constexpr int kB = X11PopupMenu::kBorder, kRow = X11PopupMenu::kRowHeight, kSep = X11PopupMenu::kSeparatorHeight;
} // namespace

TEST(X11PopupMenu, RowsLeaveOutSubmenusAndKeepSeparators)
{
  Menu m;
  const auto rows = X11PopupMenu::Layout(m.menu);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].item, 0);
  EXPECT_EQ(rows[0].top, kB);
  EXPECT_TRUE(rows[1].separator);
  EXPECT_EQ(rows[1].height, kSep);
  EXPECT_EQ(rows[2].item, 2);
  EXPECT_EQ(rows[2].top, kB + kRow + kSep);
  EXPECT_EQ(rows[3].item, 4); // the index in the menu, not among the rows
  X11PopupMenu popup(nullptr, &m.menu);
  EXPECT_EQ(popup.Height(), 2 * kB + 3 * kRow + kSep);
  EXPECT_GE(popup.Width(), X11PopupMenu::kMinWidth);
}

TEST(X11PopupMenu, KeysSkipSeparatorsAndDisabledItemsAndChoose)
{
  Menu m;
  X11PopupMenu popup(nullptr, &m.menu);
  EXPECT_EQ(popup.Highlighted(), 3); // the checked item
  popup.OnKey(XK_Down);
  EXPECT_EQ(popup.Highlighted(), 0); // round to the top
  popup.OnKey(XK_Down);
  EXPECT_EQ(popup.Highlighted(), 3);
  popup.OnKey(XK_Up);
  EXPECT_EQ(popup.Highlighted(), 0);
  popup.OnKey(XK_End);
  EXPECT_EQ(popup.Highlighted(), 3);
  popup.OnKey(XK_Home);
  popup.OnKey(XK_Return);
  EXPECT_TRUE(popup.Done());
  EXPECT_EQ(popup.Chosen(), 0);

  X11PopupMenu escaped(nullptr, &m.menu);
  escaped.OnKey(XK_Escape);
  EXPECT_TRUE(escaped.Done());
  EXPECT_EQ(escaped.Chosen(), -1);
}

TEST(X11PopupMenu, ReleaseOverAnEnabledItemChoosesAPressOutsideDismisses)
{
  Menu m;
  X11PopupMenu popup(nullptr, &m.menu);
  popup.OnButtonRelease(0, 0); // the opening press's release, at the corner
  popup.OnButtonRelease(10, kB + kRow + 2); // the separator
  popup.OnButtonRelease(10, kB + kRow + kSep + 5); // "b", disabled
  EXPECT_FALSE(popup.Done());
  popup.OnMotion(10, kB + 2 * kRow + kSep + 5);
  EXPECT_EQ(popup.Highlighted(), 3);
  popup.OnMotion(10, kB + kRow + kSep + 5);
  EXPECT_EQ(popup.Highlighted(), -1);
  popup.OnButtonPress(10, kB + 2 * kRow + kSep + 5);
  EXPECT_FALSE(popup.Done());
  popup.OnButtonRelease(10, kB + 2 * kRow + kSep + 5);
  EXPECT_TRUE(popup.Done());
  EXPECT_EQ(popup.Chosen(), 4);

  X11PopupMenu outside(nullptr, &m.menu);
  outside.OnButtonPress(-3, 5);
  EXPECT_TRUE(outside.Done());
  EXPECT_EQ(outside.Chosen(), -1);
}
