// The headless platform: bitmaps from its resources folder, its paths, the scripted
// answers of menus, text fields, file dialogs and links, and its window state.

#include "GuiTestSupport.h"

#include "IPlug/IParam.h"

#include <unistd.h>

TEST(Headless, LoadsOnlyPngNamesByTheirLastComponent)
{
  ScratchDir dir;
  auto b = SolidBitmap(2, 3, 0xFF010203);
  ASSERT_TRUE(raster::WritePNG(b.get(), dir.File("knob.png").c_str()));
  GuiRig rig;
  rig.g->SetResourceFolder(dir.Path().c_str());
  auto load = [&](const char* name) { return std::unique_ptr<raster::Bitmap>(rig.g->OSLoadBitmap(0, name)); };
  auto ok = load("knob.png");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->Width(), 2);
  EXPECT_EQ(ok->Height(), 3);
  EXPECT_NE(load("Resources/deep/knob.png"), nullptr);
  EXPECT_NE(load("knob.PNG"), nullptr); // the extension in any case
  EXPECT_EQ(load("knob.jpg"), nullptr);
  EXPECT_EQ(load("knob"), nullptr);
  EXPECT_EQ(load("png"), nullptr); // the whole name is its extension, and no base name
  EXPECT_EQ(load(".png"), nullptr);
  EXPECT_EQ(load(nullptr), nullptr);
  EXPECT_EQ(load("other.png"), nullptr);
}

TEST(Headless, PathsReportThePluginsFolder)
{
  GuiRig rig;
  WDL_String plugin, host;
  rig.g->PluginPath(&plugin);
  rig.g->HostPath(&host);
  char exe[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  std::string folder(exe);
  folder = folder.substr(0, folder.rfind('/') + 1);
  EXPECT_EQ(std::string(plugin.Get()), folder); // the binary this code is linked into
  EXPECT_EQ(std::string(host.Get()), folder);
  EXPECT_EQ(std::string(rig.g->GetResourceFolder()), folder + "resources");

  rig.g->SetPluginFolder("/opt/ostrakon.lv2");
  rig.g->PluginPath(&plugin);
  EXPECT_STREQ(plugin.Get(), "/opt/ostrakon.lv2/");
  EXPECT_STREQ(rig.g->GetResourceFolder(), "/opt/ostrakon.lv2/resources");
  rig.g->SetResourceFolder("/elsewhere");
  rig.g->SetPluginFolder("/opt/other");
  EXPECT_STREQ(rig.g->GetResourceFolder(), "/elsewhere");
}

TEST(Headless, TextFieldsKeepWhatTheirParameterAllowsUpToTheEntryLength)
{
  GuiRig rig;
  auto* gain = rig.Add(new ProbeControl(&rig.plug, IRECT(), kGain));
  auto* count = rig.Add(new ProbeControl(&rig.plug, IRECT(), kCount));
  auto* free = rig.Add(new ProbeControl(&rig.plug, IRECT()));
  IRECT r(0, 0, 30, 16);
  rig.g->QueueTextEntry("1x2.5dB");
  rig.g->PromptUserInput(gain, rig.plug.GetParam(kGain), &r);
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), 12.5); // letters refused
  EXPECT_FALSE(rig.g->TextEntryOpen());
  rig.g->QueueTextEntry("2.5");
  rig.g->PromptUserInput(count, rig.plug.GetParam(kCount), &r);
  EXPECT_EQ(rig.plug.GetParam(kCount)->Value(), 3.0); // no point for an int: "25", then clamped

  gain->SetTextEntryLength(3);
  rig.g->QueueTextEntry("-12345");
  rig.g->PromptUserInput(gain, rig.plug.GetParam(kGain), &r);
  EXPECT_EQ(rig.plug.GetParam(kGain)->Value(), -12.0); // three characters

  // A field without a parameter hands its text to the control.
  rig.g->CreateTextEntry(free, free->GetText(), &r, "abc", nullptr);
  EXPECT_TRUE(rig.g->TextEntryOpen());
  rig.g->CreateTextEntry(gain, gain->GetText(), &r, "x", nullptr); // one field at a time
  EXPECT_EQ(rig.g->TextEntriesShown().size(), 4u);
  EXPECT_TRUE(rig.g->FinishTextEntry("hello world"));
  EXPECT_EQ(free->log, (std::vector<std::string>{"text hello w"})); // the default entry length, 7
  EXPECT_FALSE(rig.g->FinishTextEntry("again"));
}

TEST(Headless, MenusDismissedUnlessScripted)
{
  GuiRig rig;
  IPopupMenu menu;
  menu.AddItem("a");
  menu.AddSeparator();
  menu.AddItem("b", 0);
  menu.SetPrefix(2);
  IRECT r(1, 1, 2, 2);
  EXPECT_EQ(rig.g->CreateIPopupMenu(&menu, &r), nullptr);
  rig.g->QueueMenuChoice(5); // not an item: dismissed
  EXPECT_EQ(rig.g->CreateIPopupMenu(&menu, &r), nullptr);
  rig.g->QueueMenuChoice(2);
  EXPECT_EQ(rig.g->CreateIPopupMenu(&menu, &r), &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 2);
  ASSERT_EQ(rig.g->MenusShown().size(), 3u);
  EXPECT_EQ(rig.g->MenusShown()[0].items, (std::vector<std::string>{"b", "a", ""}));
  EXPECT_EQ(rig.g->MenusShown()[0].flags[2], IPopupMenu::Item::kSeparator);
  EXPECT_EQ(rig.g->MenusShown()[0].prefix, 2);
  EXPECT_EQ(rig.g->CreateIPopupMenu(nullptr, &r), nullptr);
}

TEST(Headless, FileDialogsLinksAndTheWindow)
{
  GuiRig rig;
  WDL_String file("default.wav"), dir("/start/");
  rig.g->PromptForFile(&file, kFileSave, &dir, "wav");
  EXPECT_STREQ(file.Get(), ""); // cancelled
  EXPECT_STREQ(dir.Get(), "/start/");
  rig.g->QueueFileChoice("/a/b/c.wav");
  rig.g->PromptForFile(&file, kFileOpen, &dir, "wav");
  EXPECT_STREQ(file.Get(), "/a/b/c.wav");
  EXPECT_STREQ(dir.Get(), "/a/b/");
  EXPECT_EQ(rig.g->FileDialogsShown()[0].defaultName, "default.wav");
  EXPECT_EQ(rig.g->FileDialogsShown()[0].action, kFileSave);

  IColor c;
  EXPECT_FALSE(rig.g->PromptForColor(&c, "colour"));
  EXPECT_TRUE(rig.g->OpenURL("http://x"));

  EXPECT_FALSE(rig.g->WindowIsOpen());
  EXPECT_EQ(rig.g->GetWindow(), nullptr);
  EXPECT_NE(rig.g->OpenWindow(nullptr), nullptr);
  EXPECT_TRUE(rig.g->WindowIsOpen());
  EXPECT_EQ(rig.g->OpenWindow(nullptr, nullptr), nullptr);
  EXPECT_STREQ(rig.g->GetGUIAPI(), "headless");
  rig.g->CloseWindow();
  EXPECT_FALSE(rig.g->WindowIsOpen());
}

TEST(Headless, ARepaintTickDrawsTheDirtyAreaOnly)
{
  GuiRig rig(30, 10);
  auto* a = rig.Add(new ProbeControl(&rig.plug, IRECT(0, 0, 10, 10)));
  auto* b = rig.Add(new ProbeControl(&rig.plug, IRECT(20, 0, 30, 10)));
  IRECT drawn;
  EXPECT_TRUE(rig.g->RepaintDirty(&drawn));
  EXPECT_EQ(drawn, IRECT(0, 0, 30, 10));
  EXPECT_FALSE(rig.g->RepaintDirty());
  b->SetDirty(false);
  EXPECT_TRUE(rig.g->RepaintDirty(&drawn));
  EXPECT_EQ(drawn, IRECT(20, 0, 30, 10));
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 2);
  EXPECT_EQ(rig.g->ScreenDraws(), 2);
}
