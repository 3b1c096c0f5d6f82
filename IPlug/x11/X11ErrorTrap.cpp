#include "IPlug/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace
{
typedef int (*ErrorHandler)(Display*, XErrorEvent*);

std::mutex gLock;
std::vector<std::pair<Display*, int>> gWatched; // connection, errors seen
ErrorHandler gPrevious = nullptr;
bool gInstalled = false;

int OnError(Display* display, XErrorEvent* event)
{
  ErrorHandler previous;
  {
    std::lock_guard<std::mutex> lock(gLock);
    for (auto& w : gWatched)
      if (w.first == display)
      {
        ++w.second;
        return 0;
      }
    previous = gPrevious;
  }
  return previous ? previous(display, event) : 0;
}
} // namespace

void X11ErrorTrap::Watch(Display* display)
{
  if (!display) return;
  std::lock_guard<std::mutex> lock(gLock);
  if (!gInstalled)
  {
    gPrevious = XSetErrorHandler(OnError);
    gInstalled = true;
  }
  gWatched.emplace_back(display, 0);
}

void X11ErrorTrap::Forget(Display* display)
{
  std::lock_guard<std::mutex> lock(gLock);
  gWatched.erase(std::remove_if(gWatched.begin(), gWatched.end(),
                                [display](const std::pair<Display*, int>& w) { return w.first == display; }),
                 gWatched.end());
}

int X11ErrorTrap::TakeErrors(Display* display)
{
  std::lock_guard<std::mutex> lock(gLock);
  for (auto& w : gWatched)
    if (w.first == display) return std::exchange(w.second, 0);
  return 0;
}
