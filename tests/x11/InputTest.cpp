// The pointer and the keyboard on a real X server, driven with xdotool: what reaches the
// controls, and what each stock control then does to its parameter; the text field and
// the popup menu as a user works them.

#include "StockEditor.h"

#include "IPlug/x11/X11PopupMenu.h"

namespace
{
// Where the pointer is on the screen for editor pixel (x, y) of a window at the origin.
int ScreenX(int x) { return x - IGraphicsX11::kPointerShiftX; }
int ScreenY(int y) { return y - IGraphicsX11::kPointerShiftY; }

// The screen position of the middle of a menu's item, for a menu opened with the
// pointer at (x, y) in the editor and no separator above the item.
std::vector<std::string> MenuItemAt(int x, int y, int item)
{
  return {"mousemove", std::to_string(ScreenX(x) + 30),
          std::to_string(ScreenY(y) + X11PopupMenu::kBorder + item * X11PopupMenu::kRowHeight +
                         X11PopupMenu::kRowHeight / 2)};
}

bool Logged(ProbeControl* p, const std::string& entry)
{
  return std::find(p->log.begin(), p->log.end(), entry) != p->log.end();
}
} // namespace

TEST(X11Input, PointerEventsReachTheControlsAtTheEditorsPositions)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  rig.g->HandleMouseOver(true);
  ProbeControl* probe = rig.editor.probe;
  // A view point at pixel (52, 322) reaches the controls as (50, 320).
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(50, 320), {"click", "1"}}))
                  .Do({"click", "2"})
                  .Do({"click", "3"})
                  .Do(Args({{"mousedown", "1"}, PointerAt(60, 310), {"mouseup", "1"}}))
                  .Do(Args({PointerAt(70, 330)}))
                  .Do({"mousemove", "600", "700"})
                  .Run(rig.g, [&] { return Logged(probe, "out"); }));
  const std::vector<std::string> expected = {"over",        "down 50,320", "up 50,320",          "down 50,320",
                                             "up 50,320",   "down 50,320", "up 50,320",          "down 50,320",
                                             "drag 60,310 10,-10", "up 60,310", "over", "out"};
  std::vector<std::string> log;
  for (const std::string& entry : probe->log)
    if (log.empty() || entry != "over" || log.back() != "over") log.push_back(entry); // one per stay
  EXPECT_EQ(log, expected);
}

TEST(X11Input, SwitchKnobWheelAndDoubleClickChangeTheirParameters)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  const int kx = StockEditor::kKnobX + 20, ky = StockEditor::kKnobY + 30;
  ASSERT_EQ(rig.Normalized(kOn), 1.0);
  ASSERT_EQ(rig.Normalized(kGain), 0.5);

  // A two-frame switch in step mode toggles: on wraps to off.
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(StockEditor::kSwitchX + 10, StockEditor::kSwitchY + 10), {"click", "1"}}))
                  .Run(rig.g, [&] { return rig.Normalized(kOn) == 0.0; }));

  // 42 pixels up on a 42-pixel knob at gearing 4: a quarter of the range.
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(kx, ky), {"mousedown", "1"}, PointerAt(kx, ky - 42), {"mouseup", "1"}}))
                  .Run(rig.g, [&] { return rig.Normalized(kGain) != 0.5; }));
  EXPECT_EQ(rig.Normalized(kGain), 0.75);
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 12.0);

  // One notch up: 0.01.
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(kx, ky), {"click", "4"}}))
                  .Run(rig.g, [&] { return rig.editor.knob->GetValue() != 0.75; }));
  EXPECT_EQ(rig.editor.knob->GetValue(), 0.75 + 0.01);
  EXPECT_NEAR(rig.plug.GetParam(kGain)->Value(), 12.48, 1e-12);
  ASSERT_TRUE(Script().Do({"click", "5"}).Run(rig.g, [&] { return rig.editor.knob->GetValue() != 0.76; }));
  EXPECT_EQ(rig.editor.knob->GetValue(), 0.75 + 0.01 - 0.01);

  // A double click restores the value the knob first had.
  ASSERT_TRUE(Script()
                  .Pause(500)
                  .Do({"click", "--repeat", "2", "--delay", "80", "1"})
                  .Run(rig.g, [&] { return rig.Normalized(kGain) == 0.5; }));
  // Two clicks further apart than the double-click time are two clicks.
  ASSERT_TRUE(Script()
                  .Pause(500)
                  .Do(Args({PointerAt(StockEditor::kSwitchX + 10, StockEditor::kSwitchY + 10), {"click", "1"}}))
                  .Pause(500)
                  .Do({"click", "1"})
                  .Pause(100)
                  .Run(rig.g));
  EXPECT_EQ(rig.Normalized(kOn), 0.0); // on, then off again
  EXPECT_EQ(rig.plug.GetParam(kOn)->Value(), 0.0);
}

TEST(X11Input, ACaptionOpensATextFieldThatReturnHandsOnAndEscapeDrops)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  const int cx = 130, cy = 88; // the caption's middle
  const unsigned long editor = rig.EditorWindow();
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(cx, cy), {"click", "1"}}))
                  .WaitFor([editor](Display* d) { return HasMappedChild(d, editor); })
                  .Run(rig.g, [&] { return rig.g->TextEntryOpen(); }));
  // Over the 30 x 16 rectangle centred on the caption, its right and bottom edges
  // included.
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(rig.d, rig.g->TextEntryWindow(), &a));
  EXPECT_EQ(a.x, 115);
  EXPECT_EQ(a.y, 80);
  EXPECT_EQ(a.width, 31);
  EXPECT_EQ(a.height, 17);
  // The value's text is selected, so typing replaces it; a letter is refused.
  ASSERT_TRUE(Script()
                  .Do({"type", "--delay", "20", "1x2.5"})
                  .Do({"key", "Return"})
                  .Run(rig.g, [&] { return !rig.g->TextEntryOpen(); }));
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 12.5);

  ASSERT_TRUE(Script()
                  .Do({"click", "1"})
                  .WaitFor([editor](Display* d) { return HasMappedChild(d, editor); })
                  .Do({"type", "--delay", "20", "3"})
                  .Do({"key", "Escape"})
                  .Run(rig.g, [&] { return !rig.g->TextEntryOpen(); }));
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 12.5);

  // A click elsewhere ends the edit as Return does.
  ASSERT_TRUE(Script()
                  .Do({"click", "1"})
                  .WaitFor([editor](Display* d) { return HasMappedChild(d, editor); })
                  .Do({"type", "--delay", "20", "--", "-6"})
                  .Do(Args({PointerAt(60, 350), {"click", "1"}}))
                  .Run(rig.g, [&] { return !rig.g->TextEntryOpen(); }));
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), -6.0);

  // Ended from the code (the host closing the editor, say): nothing handed on.
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(cx, cy), {"click", "1"}}))
                  .WaitFor([editor](Display* d) { return HasMappedChild(d, editor); })
                  .Do({"type", "--delay", "20", "9"})
                  .Run(rig.g, [&] { return rig.g->TextEntryOpen(); }));
  rig.g->ForceEndUserEdit();
  EXPECT_FALSE(rig.g->TextEntryOpen());
  rig.Pump(50);
  EXPECT_FALSE(HasMappedChild(rig.d, editor));
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), -6.0);
}

TEST(X11Input, SuperClickOnAKnobOpensItsValueEntry)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(StockEditor::kKnobX + 20, StockEditor::kKnobY + 20),
                            {"keydown", "super", "click", "1", "keyup", "super"}}))
                  .Run(rig.g, [&] { return rig.g->TextEntryOpen(); }));
  EXPECT_EQ(rig.Normalized(kGain), 0.5); // no left click reached the knob
  ASSERT_TRUE(Script().Do({"type", "--delay", "20", "--", "-3"}).Do({"key", "KP_Enter"}).Run(rig.g, [&] {
    return !rig.g->TextEntryOpen();
  }));
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), -3.0);
}

TEST(X11Input, ARightClickOnAListOpensItsMenuChosenByPointerOrKeys)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  const int mx = StockEditor::kModeX + 10, my = StockEditor::kModeY + 8;
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(mx, my), {"click", "3"}}))
                  .WaitFor(MenuIsOpen)
                  .Do(Args({MenuItemAt(mx, my, 2), {"click", "1"}}))
                  .WaitFor([](Display* d) { return !MenuIsOpen(d); })
                  .Run(rig.g, [&] { return rig.plug.GetParam(kMode)->Value() == 2.0; }));

  // The checked item ("Auto") is highlighted first; Up, Return chooses "Hard".
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(mx, my), {"click", "3"}}))
                  .WaitFor(MenuIsOpen)
                  .Do({"key", "Up", "Return"})
                  .WaitFor([](Display* d) { return !MenuIsOpen(d); })
                  .Run(rig.g, [&] { return rig.plug.GetParam(kMode)->Value() == 1.0; }));

  // Escape, and a press outside, dismiss it: nothing changes.
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(mx, my), {"click", "3"}}))
                  .WaitFor(MenuIsOpen)
                  .Do({"key", "Escape"})
                  .WaitFor([](Display* d) { return !MenuIsOpen(d); })
                  .Do(Args({PointerAt(mx, my), {"click", "3"}}))
                  .WaitFor(MenuIsOpen)
                  .Do({"mousemove", "5", "600", "click", "1"})
                  .WaitFor([](Display* d) { return !MenuIsOpen(d); })
                  .Pause(50)
                  .Run(rig.g));
  EXPECT_EQ(rig.plug.GetParam(kMode)->Value(), 1.0);
  EXPECT_TRUE(rig.editor.probe->log.empty()); // the dismissing press went nowhere else
}

TEST(X11Input, KeysGoToTheControlUnderThePointerAndOthersOnToTheHost)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  ProbeControl* probe = rig.editor.probe;
  ASSERT_TRUE(Script()
                  .Do(Args({PointerAt(60, 350), {"key", "q", "shift+q", "space", "Up", "Down", "Left", "Right",
                                                 "5", "ctrl+a", "F5"}}))
                  .Run(rig.g, [&] { return probe->log.size() >= 9; }));
  EXPECT_EQ(probe->log, (std::vector<std::string>{"key 31", "key 31", "key 0", "key 1", "key 2", "key 3", "key 4",
                                                  "key 10", "key 15"}));
  // F5 means nothing here: the host's window gets it.
  bool passedOn = false;
  for (int i = 0; i < 200 && !passedOn; ++i)
  {
    rig.Pump(5);
    XEvent e;
    while (XCheckTypedWindowEvent(rig.d, rig.parent, KeyPress, &e))
      passedOn = passedOn || (e.xkey.send_event && XLookupKeysym(&e.xkey, 0) == XK_F5);
  }
  EXPECT_TRUE(passedOn);
}
