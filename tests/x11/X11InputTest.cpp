// What X key presses and pointer events become for the editor, without a server: key
// numbers, pointer modifiers and double clicks.

#include <gtest/gtest.h>

#include "IPlug/IMouseMod.h"
#include "IPlug/x11/ClickCounter.h"
#include "IPlug/x11/X11KeyMap.h"
#include "IPlug/x11/X11Modifiers.h"

// After the test framework: X.h defines None and the like.
#include <X11/X.h>
#include <X11/keysym.h>

#include <cstring>

namespace
{
int Key(unsigned long keysym, const char* text)
{
  return X11KeyMap::Translate(keysym, text, text ? (int) strlen(text) : 0);
}
} // namespace

TEST(X11KeyMap, TranslatesSpaceArrowsDigitsAndLettersInEitherCase)
{
  EXPECT_EQ(Key(XK_space, " "), 0);
  EXPECT_EQ(Key(XK_Up, ""), 1);
  EXPECT_EQ(Key(XK_Down, ""), 2);
  EXPECT_EQ(Key(XK_Left, ""), 3);
  EXPECT_EQ(Key(XK_Right, ""), 4);
  EXPECT_EQ(Key(XK_0, "0"), 5);
  EXPECT_EQ(Key(XK_9, "9"), 14);
  EXPECT_EQ(Key(XK_KP_7, "7"), 12); // keypad digits with Num Lock on
  EXPECT_EQ(Key(XK_a, "a"), 15);
  EXPECT_EQ(Key(XK_q, "q"), 31);
  EXPECT_EQ(Key(XK_Q, "Q"), 31); // Shift or Lock held: the same number
  EXPECT_EQ(Key(XK_Z, "Z"), 40);

  EXPECT_EQ(Key(XK_exclam, "!"), -1); // Shift-1 types no digit
  EXPECT_EQ(Key(XK_F5, ""), -1);
  EXPECT_EQ(Key(XK_Return, "\r"), -1);
  EXPECT_EQ(Key(XK_eacute, "\xe9"), -1);
  EXPECT_EQ(Key(XK_a, "ab"), -1); // one character or none
  EXPECT_EQ(Key(XK_a, nullptr), -1);
}

TEST(X11KeyMap, ModifierKeysAreNeitherTranslatedNorPassedOn)
{
  for (unsigned long k : {XK_Shift_L, XK_Control_R, XK_Alt_L, XK_Super_L, XK_Caps_Lock, XK_Num_Lock,
                          XK_ISO_Level3_Shift, XK_Mode_switch})
    EXPECT_TRUE(X11KeyMap::IsModifier(k)) << k;
  for (unsigned long k : {XK_F1, XK_a, XK_space, XK_Escape, XK_Tab}) EXPECT_FALSE(X11KeyMap::IsModifier(k)) << k;
}

TEST(X11Modifiers, LeftEventsCarrySuperAsTheRightButtonRightEventsOnlyTheRight)
{
  X11Modifiers m;
  using B = X11Modifiers::Button;
  auto same = [](IMouseMod a, IMouseMod b) {
    return a.L == b.L && a.R == b.R && a.S == b.S && a.C == b.C && a.A == b.A;
  };
  EXPECT_TRUE(same(m.PointerMod(0, B::Left), IMouseMod(true, false, false, false, false)));
  EXPECT_TRUE(same(m.PointerMod(Mod4Mask, B::Left), IMouseMod(true, true))); // Super-click: value entry
  EXPECT_TRUE(same(m.PointerMod(ShiftMask | ControlMask | Mod1Mask, B::Left), IMouseMod(true, false, true, true, true)));
  EXPECT_TRUE(same(m.PointerMod(Mod4Mask | ShiftMask, B::Right), IMouseMod(false, true, true)));
  EXPECT_TRUE(same(m.PointerMod(Mod1Mask, B::Middle), IMouseMod(false, false, false, false, true)));
  // Button and lock bits are no modifiers.
  EXPECT_TRUE(same(m.PointerMod(Button1Mask | LockMask | Mod2Mask, B::Left), IMouseMod(true)));
  EXPECT_EQ(m.CommandMasks(), (unsigned) (ControlMask | Mod1Mask | Mod4Mask));
}

TEST(ClickCounter, APressSoonAndNearTheLastContinuesTheClick)
{
  ClickCounter c;
  EXPECT_EQ(c.Press(1, 1000, 50, 50), 1);
  EXPECT_EQ(c.Press(1, 1400, 54, 46), 2); // 400 ms and 4 pixels: still a double click
  EXPECT_EQ(c.Press(1, 1500, 54, 46), 3);
  EXPECT_EQ(c.Press(1, 1901, 54, 46), 1); // too late
  EXPECT_EQ(c.Press(1, 1950, 59, 46), 1); // too far
  EXPECT_EQ(c.Press(3, 2000, 59, 46), 1); // another button
  EXPECT_EQ(c.Press(1, 2050, 59, 46), 1);
  c.Reset();
  EXPECT_EQ(c.Press(1, 2100, 59, 46), 1);
  // Server time wraps after 2^32 ms.
  EXPECT_EQ(c.Press(1, 0xFFFFFF00u, 0, 0), 1);
  EXPECT_EQ(c.Press(1, 0x00000010u, 0, 0), 2);
}
