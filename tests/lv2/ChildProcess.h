#pragma once
// Runs the tools and hosts the LV2 tests drive: a program with extra environment, fed
// a text on its standard input and stopped after a bounded wait, or one left running
// in the background and stopped, by its own PID, when the test is done.

#include <sys/types.h>

#include <string>
#include <vector>

struct ChildResult
{
  int status = -1; // exit status; -1 when it did not exit by itself
  bool timedOut = false;
  std::string out, err;
};

// env holds NAME=VALUE entries added to this process's environment.
ChildResult RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const std::string& input, double timeoutSeconds);

class BackgroundChild
{
public:
  BackgroundChild() = default;
  ~BackgroundChild() { Stop(); }
  BackgroundChild(const BackgroundChild&) = delete;
  BackgroundChild& operator=(const BackgroundChild&) = delete;

  // Output goes to logPath. inheritFd, when >= 0, stays open in the child (for a
  // program that reports through a descriptor it is given).
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& logPath,
             int inheritFd = -1);
  bool Running();
  // SIGTERM, then SIGKILL when it has not gone within the bound; reaps it.
  void Stop(double boundSeconds = 5.0);
  pid_t Pid() const { return mPid; }

private:
  pid_t mPid = -1;
};

// Whether an executable of this name is on the PATH.
bool OnPath(const std::string& program);
// Reads everything readable from fd within timeoutSeconds, stopping at a newline.
std::string ReadLine(int fd, double timeoutSeconds);
