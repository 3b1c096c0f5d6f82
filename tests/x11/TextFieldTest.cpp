// The in-place text field without a server: its rules by parameter kind and entry
// length, the editing, and the keys that end it.

#include "tests/gui/GuiTestSupport.h"

#include "IPlug/TextEntryFilter.h"
#include "IPlug/x11/LineEditor.h"
#include "IPlug/x11/X11TextField.h"

#include <X11/keysym.h>

TEST(TextEntryFilter, CharactersByParameterKindAndTheEntryLength)
{
  GuiTestPlug plug;
  IParam none; // a parameter of no kind takes anything
  const TextEntryFilter real(plug.GetParam(kGain), 7), whole(plug.GetParam(kCount), 7),
      list(plug.GetParam(kMode), 7), toggle(plug.GetParam(kOn), 7), any(nullptr, 0), untyped(&none, 3);
  EXPECT_TRUE(real.IsPartialStringValid("-12.5"));
  EXPECT_TRUE(real.IsPartialStringValid("+1234.5"));
  EXPECT_FALSE(real.IsPartialStringValid("12345678")); // an eighth character
  EXPECT_FALSE(real.IsPartialStringValid("1e3"));
  for (const TextEntryFilter* f : {&whole, &list, &toggle})
  {
    EXPECT_TRUE(f->IsPartialStringValid("-3"));
    EXPECT_FALSE(f->IsPartialStringValid("1.5")); // no point
    EXPECT_FALSE(f->IsPartialStringValid("a"));   // a letter in a field of an int
  }
  EXPECT_TRUE(any.IsPartialStringValid("anything at all, however long"));
  EXPECT_TRUE(untyped.IsPartialStringValid("x\xc3\xa9z")); // characters, not bytes
  EXPECT_FALSE(untyped.IsPartialStringValid("wxyz"));
  EXPECT_TRUE(real.IsPartialStringValid(""));
}

TEST(LineEditor, StartsSelectedReplacesTheSelectionAndRefusesWholeEdits)
{
  GuiTestPlug plug;
  LineEditor e(TextEntryFilter(plug.GetParam(kGain), 7), "0.0");
  EXPECT_EQ(e.SelectionStart(), 0u);
  EXPECT_EQ(e.SelectionEnd(), 3u);
  EXPECT_TRUE(e.Insert("1"));
  EXPECT_EQ(e.Text(), "1");
  EXPECT_FALSE(e.Insert("x"));
  EXPECT_TRUE(e.Insert("2.5"));
  EXPECT_EQ(e.Text(), "12.5");
  e.Home(false);
  EXPECT_TRUE(e.Insert("-"));
  EXPECT_EQ(e.Text(), "-12.5");
  EXPECT_TRUE(e.Insert("99"));
  EXPECT_FALSE(e.Insert("9")); // the eighth character
  EXPECT_EQ(e.Text(), "-9912.5");
  e.End(false);
  e.Backspace();
  e.Home(false);
  e.Delete();
  EXPECT_EQ(e.Text(), "9912.");
  e.Right(false);
  e.Right(true);
  e.Right(true);
  EXPECT_EQ(e.SelectionStart(), 1u);
  EXPECT_EQ(e.SelectionEnd(), 3u);
  e.Backspace();
  EXPECT_EQ(e.Text(), "92.");
  e.SelectAll();
  e.Left(false); // a selection collapses to its start
  EXPECT_EQ(e.Cursor(), 0u);
  EXPECT_FALSE(e.HasSelection());
}

TEST(LineEditor, AnOverlongStartCanBeCutDownAndCursorsStayOnCharacters)
{
  LineEditor e(TextEntryFilter(nullptr, 3), "abcdef");
  e.End(false);
  EXPECT_FALSE(e.Insert("g"));
  e.Backspace();
  e.Backspace();
  EXPECT_EQ(e.Text(), "abcd");
  e.Backspace();
  e.Backspace();
  EXPECT_TRUE(e.Insert("\xc3\xa9")); // one character, two bytes: three in all
  EXPECT_EQ(e.Text(), "ab\xc3\xa9");
  e.Left(false);
  EXPECT_EQ(e.Cursor(), 2u);
  e.SetCursor(3); // inside the character: moved to its start
  EXPECT_EQ(e.Cursor(), 2u);
  e.Delete();
  EXPECT_EQ(e.Text(), "ab");
}

TEST(X11TextField, ReturnEnterAndTabHandOnEscapeEndsWithoutAndTypingIsFiltered)
{
  GuiRig rig;
  IRECT r(0, 0, 30, 16);
  IText style;
  auto* gain = rig.Add(new ProbeControl(&rig.plug, r, kGain));
  X11TextField field(rig.g, gain, rig.plug.GetParam(kGain), style, "0.0");
  using O = X11TextField::Outcome;
  EXPECT_EQ(field.OnKey(XK_1, "1", 1, false, false), O::Editing);
  EXPECT_EQ(field.OnKey(XK_q, "q", 1, false, false), O::Editing); // refused
  EXPECT_EQ(field.OnKey(XK_period, ".", 1, false, false), O::Editing);
  EXPECT_EQ(field.OnKey(XK_5, "5", 1, false, false), O::Editing);
  EXPECT_EQ(field.Text(), "1.5");
  EXPECT_EQ(field.OnKey(XK_BackSpace, "\b", 1, false, false), O::Editing);
  EXPECT_EQ(field.OnKey(XK_a, "\x01", 1, false, true), O::Editing); // Control-A selects all
  EXPECT_TRUE(field.Editor().HasSelection());
  EXPECT_EQ(field.OnKey(XK_Return, "\r", 1, false, false), O::Commit);
  EXPECT_EQ(field.OnKey(XK_KP_Enter, "\r", 1, false, false), O::Commit);
  EXPECT_EQ(field.OnKey(XK_Tab, "\t", 1, false, false), O::Commit);
  EXPECT_EQ(field.OnKey(XK_Escape, "\x1b", 1, false, false), O::Cancel);
  EXPECT_EQ(field.Text(), "1.");
  EXPECT_EQ(field.Param(), rig.plug.GetParam(kGain));
  EXPECT_EQ(field.Control(), gain);

  // Latin-1 from the keyboard arrives as UTF-8, in a field of no parameter.
  X11TextField free(rig.g, gain, nullptr, style, "");
  free.OnKey(XK_eacute, "\xe9", 1, false, false);
  EXPECT_EQ(free.Text(), "\xc3\xa9");
}
