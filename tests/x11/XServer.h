#pragma once
// The X server of a window test program: one Xvfb for the whole program, started on a
// display number it picks itself (-displayfd), waited for with a bound, stopped by its
// own PID; DISPLAY names it meanwhile. Scripts drive it with xdotool from a thread of
// their own while the test's thread drives the editor, whose menus and dialogs run
// nested loops that the script must be free to answer.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class IGraphicsX11;
typedef struct _XDisplay Display;

class XServer : public testing::Environment
{
public:
  void SetUp() override;
  void TearDown() override;

  static bool Running();
  static const std::string& DisplayName();
  // Why no server runs, for the skip message.
  static const std::string& Problem();
};

// Every test that needs the server starts with this.
#define REQUIRE_X_SERVER()                                                                                   \
  if (!XServer::Running()) GTEST_SKIP() << "no X server: " << XServer::Problem()

// Steps run one after another on a thread of their own: xdotool commands, pauses and
// bounded waits for something to show on the script's own connection.
class Script
{
public:
  Script& Do(std::vector<std::string> xdotoolArgs);
  Script& WaitFor(std::function<bool(Display*)> condition);
  Script& Pause(int ms);

  // Runs the steps while this thread calls the editor's Idle, then goes on calling it
  // until `until` holds. False when a step failed or 10 s went by; then Escape is
  // pressed so that a menu left open lets the test go on.
  bool Run(IGraphicsX11* g, const std::function<bool()>& until = nullptr);

private:
  struct Step
  {
    std::vector<std::string> xdotool;
    std::function<bool(Display*)> condition;
    int pauseMs = 0;
  };
  std::vector<Step> mSteps;
};

// xdotool arguments strung together.
std::vector<std::string> Args(std::initializer_list<std::vector<std::string>> parts);
// xdotool arguments that put the pointer where the editor sees (x, y) in a window at the
// screen's origin.
std::vector<std::string> PointerAt(int x, int y);
// Runs xdotool and waits (bounded) for it to end; false when it failed.
bool XDoTool(const std::vector<std::string>& args);

// Conditions on the script's connection.
bool MenuIsOpen(Display* d);                       // a mapped override-redirect window
bool HasMappedChild(Display* d, unsigned long w);  // a text field over the editor
