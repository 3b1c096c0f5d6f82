#include "IPlug/x11/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

extern char** environ;

namespace
{
// The environment with DISPLAY replaced, as spawn wants it.
struct Environment
{
  std::vector<std::string> strings;
  std::vector<char*> pointers;

  explicit Environment(const char* display)
  {
    for (char** e = environ; e && *e; ++e)
      if (!(display && strncmp(*e, "DISPLAY=", 8) == 0)) strings.push_back(*e);
    if (display) strings.push_back(std::string("DISPLAY=") + display);
    for (std::string& s : strings) pointers.push_back(&s[0]);
    pointers.push_back(nullptr);
  }
};

struct Arguments
{
  std::vector<std::string> strings;
  std::vector<char*> pointers;

  explicit Arguments(const std::vector<std::string>& argv) : strings(argv)
  {
    for (std::string& s : strings) pointers.push_back(&s[0]);
    pointers.push_back(nullptr);
  }
};

// A process started with posix_spawn, its output on outFd or /dev/null.
pid_t Spawn(const std::vector<std::string>& argv, const char* display, int outFd)
{
  if (argv.empty() || argv[0].empty()) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  if (posix_spawnattr_init(&attr) != 0)
  {
    posix_spawn_file_actions_destroy(&actions);
    return -1;
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // The host's files, sockets and devices stay with the host.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);

  // The host may block or catch signals on its threads; the tool starts clean.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD, SIGUSR1, SIGUSR2, SIGALRM})
    sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  Arguments args(argv);
  Environment env(display && *display ? display : nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args.pointers[0], &actions, &attr, args.pointers.data(), env.pointers.data()) != 0)
    pid = -1;
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void SleepMs(int ms)
{
  timespec t{ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {}
}

// Reaps pid, waiting up to timeoutMs before killing it. Its exit status, -1 or
// kStatusUnknown.
int Reap(pid_t pid, int timeoutMs)
{
  int status = 0;
  for (int waited = 0;; waited += 5)
  {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno == ECHILD) return ChildProcess::kStatusUnknown; // SIGCHLD ignored by the host
    if (r < 0 && errno != EINTR) return -1;
    if (waited >= timeoutMs)
    {
      kill(pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
      return -1;
    }
    SleepMs(5);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

ChildProcess::~ChildProcess()
{
  if (mFd >= 0) close(mFd);
  if (mPid > 0) Reap(mPid, 0);
}

std::string ChildProcess::FindOnPath(const char* name)
{
  if (!name || !*name || strchr(name, '/')) return std::string();
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size())
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + name;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return std::string();
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const char* display)
{
  if (mPid > 0) return false;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  mPid = Spawn(argv, display, fds[1]);
  close(fds[1]);
  if (mPid <= 0)
  {
    close(fds[0]);
    mPid = -1;
    return false;
  }
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  mFd = fds[0];
  mOutput.clear();
  return true;
}

bool ChildProcess::ReadAvailable()
{
  if (mFd < 0) return false;
  char buf[4096];
  for (;;)
  {
    const ssize_t n = read(mFd, buf, sizeof buf);
    if (n > 0)
    {
      // A path is short; a tool that floods its output is not read further.
      if (mOutput.size() < 65536) mOutput.append(buf, (size_t) n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    close(mFd); // the end, or an error that ends it
    mFd = -1;
    return false;
  }
}

void ChildProcess::Terminate()
{
  if (mPid > 0) kill(mPid, SIGTERM);
}

int ChildProcess::Finish(int timeoutMs)
{
  if (mFd >= 0)
  {
    close(mFd);
    mFd = -1;
  }
  if (mPid <= 0) return -1;
  const int status = Reap(mPid, timeoutMs);
  mPid = -1;
  return status;
}

bool ChildProcess::StartDetached(const std::vector<std::string>& argv, const char* display)
{
  if (argv.empty() || argv[0].empty()) return false;
  std::vector<std::string> shell = {"/bin/sh", "-c", "\"$0\" \"$@\" &"};
  shell.insert(shell.end(), argv.begin(), argv.end());
  const pid_t pid = Spawn(shell, display, -1);
  if (pid <= 0) return false;
  const int status = Reap(pid, 5000);
  return status == 0 || status == kStatusUnknown;
}
