// `ostrakon editor` against a real X server: its window shows what `ostrakon snapshot`
// draws for the same settings, takes a click, ends on SIGTERM, SIGINT or the window
// manager's close with the state saved, and with audio its meters move.

#include "XServer.h"

#include "tests/tools/CliHarness.h"

#include "IPlug/IGraphicsX11.h"
#include "IPlug/IRECT.h"
#include "raster/Draw.h"
#include "raster/Png.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;
constexpr int kW = 460, kH = 640;

// The program running on the test's X server, its error output in a file.
class EditorProcess
{
public:
  EditorProcess(const std::vector<std::string>& args, const std::string& errPath)
  {
    std::vector<std::string> all = {OSTRAKON_CLI, "editor"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    fflush(nullptr);
    mPid = fork();
    if (mPid == 0)
    {
      FILE* err = fopen(errPath.c_str(), "w");
      if (err) dup2(fileno(err), 2);
      execv(OSTRAKON_CLI, argv.data());
      _exit(127);
    }
  }
  ~EditorProcess()
  {
    if (mPid > 0)
    {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
    }
  }

  void Signal(int sig)
  {
    if (mPid > 0) kill(mPid, sig);
  }
  // Its exit status within timeoutMs; -1 when it did not exit normally or in time (it
  // is then killed).
  int Wait(int timeoutMs)
  {
    if (mPid <= 0) return -1;
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (waitpid(mPid, &status, WNOHANG) == 0)
    {
      if (Clock::now() > deadline)
      {
        kill(mPid, SIGKILL);
        waitpid(mPid, &status, 0);
        mPid = -1;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    mPid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

private:
  pid_t mPid = -1;
};

// The top-level window titled like the strip, waited for with a bound; 0 when none came.
Window FindEditorWindow(Display* d, int timeoutMs = 15000)
{
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < deadline)
  {
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    Window found = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n))
      for (unsigned int i = 0; i < n && !found; ++i)
      {
        char* name = nullptr;
        XWindowAttributes a;
        if (XFetchName(d, children[i], &name) && name && std::string(name) == "Quarro Ostrakon" &&
            XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
          found = children[i];
        if (name) XFree(name);
      }
    if (children) XFree(children);
    if (found) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return 0;
}

std::vector<uint32_t> Pixels(Display* d, Window w, int width = kW, int height = kH)
{
  std::vector<uint32_t> pixels;
  XImage* image = XGetImage(d, w, 0, 0, (unsigned) width, (unsigned) height, AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back((uint32_t) XGetPixel(image, x, y) & 0xFFFFFF);
  XDestroyImage(image);
  return pixels;
}

// Pixels that differ from the PNG file's, and the rectangle holding them.
int Mismatches(const std::vector<uint32_t>& screen, const std::string& png, int width = kW, int height = kH,
               IRECT* where = nullptr)
{
  std::unique_ptr<LICE_MemBitmap> shot(LICE_LoadPNG(png.c_str()));
  if (!shot || shot->Width() != width || shot->Height() != height || screen.size() != (size_t) width * height)
    return -1;
  int bad = 0;
  IRECT box;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (screen[(size_t) (y * width + x)] != (raster::GetPixel(shot.get(), x, y) & 0xFFFFFF))
      {
        ++bad;
        IRECT pixel(x, y, x + 1, y + 1);
        box = box.Union(&pixel);
      }
  if (where) *where = box;
  return bad;
}

std::string Describe(const IRECT& r)
{
  return "(" + std::to_string(r.L) + ", " + std::to_string(r.T) + ", " + std::to_string(r.R) + ", " +
         std::to_string(r.B) + ")";
}

void SaveScreen(const std::vector<uint32_t>& screen, const std::string& path, int width = kW, int height = kH)
{
  if (screen.size() != (size_t) width * height) return;
  LICE_MemBitmap shot(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) raster::PutPixel(&shot, x, y, 0xFF000000u | screen[(size_t) (y * width + x)]);
  raster::WritePNG(&shot, path.c_str());
}

// The window manager's close button: WM_DELETE_WINDOW sent to the window.
void AskToClose(Display* d, Window w)
{
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long) XInternAtom(d, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  XFlush(d);
}

class EditorCommand : public CliTest
{
protected:
  void SetUp() override
  {
    CliTest::SetUp();
    if (!XServer::Running()) return;
    d = XOpenDisplay(XServer::DisplayName().c_str());
  }
  void TearDown() override
  {
    if (d) XCloseDisplay(d);
    CliTest::TearDown();
  }
  std::string Errors() { return ReadBytes(Path("err.txt")); }

  Display* d = nullptr;
};

// A line of `ostrakon preset show`'s listing, by parameter name.
std::string ShownValue(const std::string& listing, const std::string& name)
{
  const size_t at = listing.find("\t\"" + name + "\"\t");
  if (at == std::string::npos) return "";
  const size_t start = at + name.size() + 4;
  return listing.substr(start, listing.find('\t', start) - start);
}
} // namespace

TEST_F(EditorCommand, ShowsTheSnapshotsPictureTakesAClickAndSavesTheStateOnSigterm)
{
  REQUIRE_X_SERVER();
  ASSERT_TRUE(d);
  const std::vector<std::string> settings = {"--set", "Routing=2", "--set", "Input Gain=6", "--set",
                                             "Dyn. 2 On/Off=off"};
  std::vector<std::string> args = settings;
  args.insert(args.end(), {"--save-preset", Path("after.aupreset")});
  EditorProcess editor(args, Path("err.txt"));
  const Window w = FindEditorWindow(d);
  ASSERT_NE(w, 0u) << Errors();
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(d, w, &a));
  EXPECT_EQ(a.width, kW);
  EXPECT_EQ(a.height, kH);

  std::vector<std::string> shotArgs = {"snapshot", Path("shot.png")};
  shotArgs.insert(shotArgs.end(), settings.begin(), settings.end());
  const CliResult shot = RunCli(shotArgs); // meanwhile the window settles
  ASSERT_EQ(shot.status, 0) << shot.err;
  const std::vector<uint32_t> screen = Pixels(d, w);
  SaveScreen(screen, testing::TempDir() + "editor-command-window.png");
  IRECT where;
  EXPECT_EQ(Mismatches(screen, Path("shot.png"), kW, kH, &where), 0) << "within " << Describe(where);

  // The phase switch (its corner at (130, 47)), clicked where the window is.
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
  ASSERT_TRUE(XDoTool({"mousemove", std::to_string(x + 150 - IGraphicsX11::kPointerShiftX),
                       std::to_string(y + 52 - IGraphicsX11::kPointerShiftY), "click", "1"}));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  editor.Signal(SIGTERM);
  EXPECT_EQ(editor.Wait(10000), 0) << Errors();
  EXPECT_EQ(Errors(), "");
  const CliResult shown = RunCli({"preset", "show", Path("after.aupreset")});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(ShownValue(shown.out, "Rev. Phase"), "on") << shown.out;
  EXPECT_EQ(ShownValue(shown.out, "Input Gain"), "6") << shown.out;
  EXPECT_EQ(ShownValue(shown.out, "Dyn. 2 On/Off"), "off") << shown.out;
}

TEST_F(EditorCommand, EndsOnTheWindowManagersCloseAndOnCtrlC)
{
  REQUIRE_X_SERVER();
  ASSERT_TRUE(d);
  {
    EditorProcess editor({"--save-preset", Path("closed.aupreset")}, Path("err.txt"));
    const Window w = FindEditorWindow(d);
    ASSERT_NE(w, 0u) << Errors();
    AskToClose(d, w);
    EXPECT_EQ(editor.Wait(10000), 0) << Errors();
    EXPECT_EQ(RunCli({"preset", "show", Path("closed.aupreset")}).status, 0);
  }
  {
    EditorProcess editor({}, Path("err.txt"));
    ASSERT_NE(FindEditorWindow(d), 0u) << Errors();
    editor.Signal(SIGINT);
    EXPECT_EQ(editor.Wait(10000), 0) << Errors();
  }
  EXPECT_EQ(FindEditorWindow(d, 0), 0u);
}

TEST_F(EditorCommand, WithAudioTheMetersMoveAndBadRequestsFailAtOnce)
{
  REQUIRE_X_SERVER();
  ASSERT_TRUE(d);
  WriteAudio(Path("in.wav"), TestSignal(48000, 2, 24000));
  ASSERT_EQ(RunCli({"snapshot", Path("silent.png")}).status, 0);
  EditorProcess editor({"--audio", Path("in.wav")}, Path("err.txt"));
  const Window w = FindEditorWindow(d);
  ASSERT_NE(w, 0u) << Errors();
  // Longer than the file: it plays on from its start.
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  const std::vector<uint32_t> playing = Pixels(d, w);
  SaveScreen(playing, testing::TempDir() + "editor-command-audio.png");
  // The meters light up.
  int lit = 0;
  std::unique_ptr<LICE_MemBitmap> silent(LICE_LoadPNG(Path("silent.png").c_str()));
  ASSERT_TRUE(silent);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (playing[(size_t) (y * kW + x)] != (raster::GetPixel(silent.get(), x, y) & 0xFFFFFF)) ++lit;
  EXPECT_GT(lit, 100) << "pixels that differ from the editor without signal";
  editor.Signal(SIGTERM);
  EXPECT_EQ(editor.Wait(10000), 0) << Errors();

  // Refused before any window opens.
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--set", "No Such=1"}, {"--preset", Path("missing.aupreset")},
        {"--audio", Path("missing.wav")}, {"stray"}, {"--bogus", "1"}})
  {
    std::vector<std::string> args = {"editor"};
    args.insert(args.end(), bad.begin(), bad.end());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 2) << bad[0];
    EXPECT_NE(r.err.find("ostrakon: "), std::string::npos) << r.err;
  }
}
