// The file chooser's command lines and answers, and tools run from the editor's thread:
// output read back, exit status, detached starts, no zombie left behind.

#include "ChildProcessSupport.h"

#include "IPlug/x11/ChildProcess.h"
#include "IPlug/x11/FileChooser.h"

#include <poll.h>

#include <chrono>
#include <thread>

TEST(FileChooser, CommandLinesForZenityAndKDialog)
{
  FileChooser::Request open;
  open.dir = "/home/u/presets/";
  open.defaultName = "take 1.fxp";
  open.types = FileChooser::SplitTypes(" fxp  fxb ");
  ASSERT_EQ(open.types, (std::vector<std::string>{"fxp", "fxb"}));
  EXPECT_EQ(FileChooser::Command(FileChooser::Tool::Zenity, "/usr/bin/zenity", open),
            (std::vector<std::string>{"/usr/bin/zenity", "--file-selection", "--filename=/home/u/presets/take 1.fxp",
                                      "--file-filter=*.fxp *.fxb"}));
  FileChooser::Request save = open;
  save.save = true;
  save.dir = "/tmp"; // a separator is added
  save.types.clear();
  EXPECT_EQ(FileChooser::Command(FileChooser::Tool::Zenity, "z", save),
            (std::vector<std::string>{"z", "--file-selection", "--save", "--confirm-overwrite",
                                      "--filename=/tmp/take 1.fxp"}));
  EXPECT_EQ(FileChooser::Command(FileChooser::Tool::KDialog, "k", open),
            (std::vector<std::string>{"k", "--getopenfilename", "/home/u/presets/take 1.fxp", "*.fxp *.fxb"}));
  EXPECT_EQ(FileChooser::Command(FileChooser::Tool::KDialog, "k", save),
            (std::vector<std::string>{"k", "--getsavefilename", "/tmp/take 1.fxp"}));
  EXPECT_TRUE(FileChooser::Command(FileChooser::Tool::NotFound, "", open).empty());
}

TEST(FileChooser, AnswersHomeFoldersAndTheSavedType)
{
  EXPECT_EQ(FileChooser::Answer("/a b/c.fxp\n"), "/a b/c.fxp");
  EXPECT_EQ(FileChooser::Answer("/a/c.fxp\r\nwarning\n"), "/a/c.fxp");
  EXPECT_EQ(FileChooser::Answer(""), "");
  EXPECT_EQ(FileChooser::ExpandHome("~/Desktop", "/home/u"), "/home/u/Desktop");
  EXPECT_EQ(FileChooser::ExpandHome("~", "/home/u"), "/home/u");
  EXPECT_EQ(FileChooser::ExpandHome("~other/x", "/home/u"), "~other/x");
  EXPECT_EQ(FileChooser::ExpandHome("~/Desktop", nullptr), "~/Desktop");

  FileChooser::Request r;
  r.save = true;
  r.types = {"fxp", "fxb"};
  EXPECT_EQ(FileChooser::WithType("/p/take", r), "/p/take.fxp");
  EXPECT_EQ(FileChooser::WithType("/p/take.FXB", r), "/p/take.FXB");
  EXPECT_EQ(FileChooser::WithType("/p.d/take", r), "/p.d/take.fxp");
  r.save = false;
  EXPECT_EQ(FileChooser::WithType("/p/take", r), "/p/take");
}

TEST(FileChooser, FindsZenityFirstThenKDialogOnThePath)
{
  FakeTools tools;
  std::string path;
  EXPECT_EQ(FileChooser::Find(&path), FileChooser::Tool::NotFound);
  EXPECT_EQ(path, "");
  tools.Add("kdialog", "exit 0\n");
  EXPECT_EQ(FileChooser::Find(&path), FileChooser::Tool::KDialog);
  EXPECT_EQ(path, tools.File("kdialog"));
  tools.Add("zenity", "exit 0\n");
  EXPECT_EQ(FileChooser::Find(&path), FileChooser::Tool::Zenity);
  EXPECT_EQ(path, tools.File("zenity"));
}

TEST(ChildProcess, ReadsOutputAndStatusAndSetsTheDisplay)
{
  FakeTools tools;
  tools.Add("answer", "read line; echo \"[$line] $DISPLAY $1\"; echo more; exit 3\n");
  const std::string tool = ChildProcess::FindOnPath("answer");
  ASSERT_FALSE(tool.empty());
  EXPECT_EQ(ChildProcess::FindOnPath("missing"), "");
  EXPECT_EQ(ChildProcess::FindOnPath("/bin/sh"), ""); // names only

  ChildProcess p;
  ASSERT_TRUE(p.Start({tool, "arg"}, ":77"));
  for (int i = 0; i < 1000 && p.OutputFd() >= 0; ++i)
  {
    pollfd fd = {p.OutputFd(), POLLIN, 0};
    poll(&fd, 1, 10);
    p.ReadAvailable();
  }
  EXPECT_EQ(p.OutputFd(), -1);
  EXPECT_EQ(p.Output(), "[] :77 arg\nmore\n"); // input from /dev/null
  EXPECT_EQ(p.Finish(5000), 3);
  EXPECT_EQ(ZombieChildren(), 0);

  ChildProcess missing;
  EXPECT_FALSE(missing.Start({tools.File("nothing")}, nullptr));
  EXPECT_FALSE(missing.Start({}, nullptr));
}

TEST(ChildProcess, AToolStillRunningIsKilledAndReaped)
{
  FakeTools tools;
  tools.Add("stuck", "exec /bin/sleep 30\n");
  {
    ChildProcess p;
    ASSERT_TRUE(p.Start({ChildProcess::FindOnPath("stuck")}, nullptr));
    EXPECT_EQ(p.Finish(50), -1);
  }
  {
    ChildProcess p;
    ASSERT_TRUE(p.Start({ChildProcess::FindOnPath("stuck")}, nullptr));
  } // dropped while running
  EXPECT_EQ(ZombieChildren(), 0);
}

TEST(ChildProcess, DetachedToolsOutliveTheCallAndLeaveNoZombie)
{
  FakeTools tools;
  tools.Add("opener", "/bin/sleep 0.2; printf '%s|%s' \"$1\" \"$DISPLAY\" > \"${0%/*}/opened\"\n");
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(ChildProcess::StartDetached({ChildProcess::FindOnPath("opener"), "https://example.org/?a=1&b"}, ":5"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200)); // not waited for
  EXPECT_EQ(ZombieChildren(), 0);
  std::string opened;
  for (int i = 0; i < 500 && opened.empty(); ++i)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    opened = tools.Read("opened");
  }
  EXPECT_EQ(opened, "https://example.org/?a=1&b|:5");
  EXPECT_EQ(ZombieChildren(), 0);
  EXPECT_FALSE(ChildProcess::StartDetached({}, nullptr));
}
