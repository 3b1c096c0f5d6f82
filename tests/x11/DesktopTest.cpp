// File dialogs and web addresses through the desktop's tools, with fake tools on PATH:
// what they are asked, what their answers become, that the editor keeps repainting
// while a dialog is open, and that no zombie is left.

#include "ChildProcessSupport.h"
#include "StockEditor.h"

namespace
{
struct FrameCounter : IControl
{
  explicit FrameCounter(IPlugBase* plug) : IControl(plug, &kRect) {}
  bool Draw(IGraphics*) override
  {
    ++draws;
    return true;
  }
  bool IsDirty() override { return true; }
  int draws = 0;
  static IRECT kRect;
};
IRECT FrameCounter::kRect(440, 620, 450, 630);
} // namespace

TEST(X11Desktop, PromptForFileAsksZenityAndTakesItsAnswer)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  FakeTools tools;
  tools.Add("zenity", "for a; do printf '%s\\n' \"$a\"; done > \"${0%/*}/asked\"\n"
                      "/bin/sleep 0.3\nprintf '/tmp/my presets/take\\n'\n");
  auto* counter = new FrameCounter(&rig.plug);
  rig.g->AttachControl(counter);
  WDL_String file("take"), dir("");
  rig.g->PromptForFile(&file, kFileSave, &dir, "fxp fxb");
  EXPECT_STREQ(file.Get(), "/tmp/my presets/take.fxp"); // saved with the first type
  EXPECT_STREQ(dir.Get(), "/tmp/my presets/");
  const char* home = getenv("HOME");
  EXPECT_EQ(tools.Read("asked"), "--file-selection\n--save\n--confirm-overwrite\n--filename=" +
                                     (home ? std::string(home) : std::string("~")) +
                                     "/Desktop/take\n--file-filter=*.fxp *.fxb\n");
  EXPECT_GE(counter->draws, 4); // repainted while the dialog was open
  EXPECT_EQ(ZombieChildren(), 0);

  // Cancelled: the name is emptied; the start folder given stays.
  tools.Add("zenity", "exit 1\n");
  file.Set("other");
  dir.Set("/start/");
  rig.g->PromptForFile(&file, kFileOpen, &dir, "");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(dir.Get(), "/start/");

  // kdialog when zenity is missing.
  tools.Add("zenity", "");
  unlink(tools.File("zenity").c_str());
  tools.Add("kdialog", "printf '%s|%s|%s' \"$1\" \"$2\" \"$3\" > \"${0%/*}/asked\"\necho /start/b.fxb\n");
  file.Set("a.fxb");
  rig.g->PromptForFile(&file, kFileOpen, &dir, "fxb");
  EXPECT_STREQ(file.Get(), "/start/b.fxb");
  EXPECT_EQ(tools.Read("asked"), "--getopenfilename|/start/a.fxb|*.fxb");
  EXPECT_EQ(ZombieChildren(), 0);
}

TEST(X11Desktop, WithoutAChooserOrAWindowPromptForFileCancels)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  FakeTools none;
  WDL_String file("take"), dir("");
  rig.g->PromptForFile(&file, kFileOpen, &dir, "fxp");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(dir.Get(), "~/Desktop"); // the default start folder

  none.Add("zenity", "echo /never\n");
  rig.g->CloseWindow();
  file.Set("take");
  rig.g->PromptForFile(&file, kFileOpen, &dir, "fxp");
  EXPECT_STREQ(file.Get(), "");
}

TEST(X11Desktop, OpenURLHandsTheAddressToXdgOpenAndDoesNotWait)
{
  REQUIRE_X_SERVER();
  X11Rig rig;
  FakeTools tools;
  EXPECT_FALSE(rig.g->OpenURL("https://example.org/")); // no opener installed
  tools.Add("xdg-open", "/bin/sleep 1; printf '%s|%s' \"$1\" \"$DISPLAY\" > \"${0%/*}/opened\"\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(rig.g->OpenURL("https://example.org/a b?c=1&d", "title", "confirm", "error"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_FALSE(rig.g->OpenURL(""));
  EXPECT_FALSE(rig.g->OpenURL(nullptr));
  std::string opened;
  for (int i = 0; i < 400 && opened.empty(); ++i)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    opened = tools.Read("opened");
  }
  EXPECT_EQ(opened, "https://example.org/a b?c=1&d|" + XServer::DisplayName());
  EXPECT_EQ(ZombieChildren(), 0);
}
