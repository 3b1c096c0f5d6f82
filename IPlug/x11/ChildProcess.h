#pragma once
// Desktop tools started from the editor's thread: one whose output is read back (a file
// chooser), or one left to run on its own (a web browser's opener). A tool starts with
// its input from /dev/null, no descriptor of the host's, default signal handling and
// DISPLAY naming the editor's display; every process started here is reaped, so none
// is left a zombie, and nothing here waits on the audio thread.

#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess
{
public:
  ChildProcess() = default;
  // Kills and reaps a tool still running.
  ~ChildProcess();

  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The full path of the executable name found on PATH, or empty.
  static std::string FindOnPath(const char* name);

  // Starts argv[0] (a full path) with argv[1..] and its output on a pipe; display,
  // when given, becomes its DISPLAY. False when it cannot be started.
  bool Start(const std::vector<std::string>& argv, const char* display);

  // The pipe to poll for output; -1 once the output has ended.
  int OutputFd() const { return mFd; }
  // Reads what the pipe holds without waiting; false once the output has ended.
  bool ReadAvailable();
  const std::string& Output() const { return mOutput; }

  // Asks the tool to end (SIGTERM), as a server is stopped.
  void Terminate();

  // Finish's answer when the system reaped the tool itself (a host that ignores
  // SIGCHLD), so that its exit status is lost.
  static constexpr int kStatusUnknown = -2;

  // Waits up to timeoutMs for the tool to end, then kills it. Its exit status, -1 when
  // it did not exit normally or was never started, or kStatusUnknown.
  int Finish(int timeoutMs);

  // Starts argv (argv[0] a full path) detached: a shell started for it puts it in the
  // background and exits at once, and that shell is reaped here, so the tool outlives
  // the call without ever being our child. False when nothing could be started.
  static bool StartDetached(const std::vector<std::string>& argv, const char* display);

private:
  pid_t mPid = -1;
  int mFd = -1;
  std::string mOutput;
};
