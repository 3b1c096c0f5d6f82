#include "XServer.h"

#include "IPlug/IGraphicsX11.h"
#include "IPlug/x11/ChildProcess.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace
{
std::unique_ptr<ChildProcess> gServer;
std::string gDisplay, gProblem = "not started", gXDoTool;
bool gRunning = false;

using Clock = std::chrono::steady_clock;
constexpr auto kScriptTimeout = std::chrono::seconds(10);
} // namespace

static testing::Environment* const gEnvironment = testing::AddGlobalTestEnvironment(new XServer);

void XServer::SetUp()
{
  const std::string xvfb = ChildProcess::FindOnPath("Xvfb");
  gXDoTool = ChildProcess::FindOnPath("xdotool");
  if (xvfb.empty() || gXDoTool.empty())
  {
    gProblem = xvfb.empty() ? "Xvfb is not installed" : "xdotool is not installed";
    return;
  }
  gServer = std::make_unique<ChildProcess>();
  // The server writes the display number it chose to its output, once it accepts
  // connections. Without -noreset it would start afresh, refusing connections for a
  // moment, whenever a test closes the last one.
  // Screen 0 holds an editor drawn at twice its size; screen 1 has 16-bit colour, for
  // windows whose pixels need converting.
  if (!gServer->Start({xvfb, "-displayfd", "1", "-screen", "0", "1024x1344x24", "-screen", "1", "480x680x16",
                       "-nolisten", "tcp", "-noreset"},
                      nullptr))
  {
    gProblem = "Xvfb did not start";
    return;
  }
  const auto deadline = Clock::now() + std::chrono::seconds(15);
  while (gServer->Output().find('\n') == std::string::npos && gServer->OutputFd() >= 0 && Clock::now() < deadline)
  {
    pollfd p = {gServer->OutputFd(), POLLIN, 0};
    poll(&p, 1, 50);
    gServer->ReadAvailable();
  }
  const std::string& out = gServer->Output();
  if (out.find('\n') == std::string::npos || out.find_first_not_of("0123456789\n") != std::string::npos)
  {
    gProblem = "Xvfb gave no display number within 15 s";
    gServer->Terminate();
    gServer->Finish(5000);
    gServer.reset();
    return;
  }
  gDisplay = ":" + out.substr(0, out.find('\n'));
  setenv("DISPLAY", gDisplay.c_str(), 1);
  gRunning = true;
}

void XServer::TearDown()
{
  if (!gServer) return;
  gServer->Terminate();
  gServer->Finish(5000);
  gServer.reset();
  gRunning = false;
}

bool XServer::Running() { return gRunning; }
const std::string& XServer::DisplayName() { return gDisplay; }
const std::string& XServer::Problem() { return gProblem; }

std::vector<std::string> Args(std::initializer_list<std::vector<std::string>> parts)
{
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<std::string> PointerAt(int x, int y)
{
  return {"mousemove", std::to_string(x - IGraphicsX11::kPointerShiftX),
          std::to_string(y - IGraphicsX11::kPointerShiftY)};
}

bool XDoTool(const std::vector<std::string>& args)
{
  std::vector<std::string> argv = {gXDoTool};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildProcess p;
  if (!p.Start(argv, gDisplay.c_str())) return false;
  const auto deadline = Clock::now() + kScriptTimeout;
  while (p.OutputFd() >= 0 && Clock::now() < deadline)
  {
    pollfd fd = {p.OutputFd(), POLLIN, 0};
    poll(&fd, 1, 20);
    p.ReadAvailable();
  }
  return p.Finish(1000) == 0;
}

bool MenuIsOpen(Display* d)
{
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return false;
  bool open = false;
  for (unsigned int i = 0; i < n && !open; ++i)
  {
    XWindowAttributes a;
    open = XGetWindowAttributes(d, children[i], &a) && a.override_redirect && a.map_state == IsViewable;
  }
  if (children) XFree(children);
  return open;
}

bool HasMappedChild(Display* d, unsigned long w)
{
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &n)) return false;
  bool mapped = false;
  for (unsigned int i = 0; i < n && !mapped; ++i)
  {
    XWindowAttributes a;
    mapped = XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable;
  }
  if (children) XFree(children);
  return mapped;
}

Script& Script::Do(std::vector<std::string> xdotoolArgs)
{
  mSteps.push_back(Step{std::move(xdotoolArgs), nullptr, 0});
  return *this;
}

Script& Script::WaitFor(std::function<bool(Display*)> condition)
{
  mSteps.push_back(Step{{}, std::move(condition), 0});
  return *this;
}

Script& Script::Pause(int ms)
{
  mSteps.push_back(Step{{}, nullptr, ms});
  return *this;
}

bool Script::Run(IGraphicsX11* g, const std::function<bool()>& until)
{
  std::atomic<bool> done{false}, failed{false}, released{false};
  const auto deadline = Clock::now() + kScriptTimeout;
  std::thread runner([&] {
    Display* d = XOpenDisplay(gDisplay.c_str());
    for (const Step& step : mSteps)
    {
      if (failed) break;
      if (!step.xdotool.empty() && !XDoTool(step.xdotool)) failed = true;
      if (step.pauseMs) std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
      if (step.condition)
      {
        while (d && !step.condition(d) && Clock::now() < deadline)
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!d || !step.condition(d)) failed = true;
      }
    }
    done = true;
    // A menu still open holds the test's thread in its loop: let it go.
    while (!released && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!released)
    {
      failed = true;
      XDoTool({"key", "Escape"});
    }
    if (d) XCloseDisplay(d);
  });
  while ((!done || (until && !until())) && Clock::now() < deadline)
  {
    g->Idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  g->Idle();
  released = true;
  runner.join();
  return !failed && (!until || until());
}
