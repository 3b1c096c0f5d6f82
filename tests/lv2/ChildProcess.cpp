#include "tests/lv2/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Millis(double seconds) { return std::chrono::milliseconds((long long) (seconds * 1000)); }

std::string ReadAll(int fd)
{
  std::string s;
  lseek(fd, 0, SEEK_SET);
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) s.append(buf, (size_t) n);
  return s;
}

int TempFd()
{
  char path[] = "/tmp/ostrakon-child-XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) unlink(path);
  return fd;
}

// Everything the child needs, made before fork: between fork and exec the child only
// calls what is safe there.
struct ExecArgs
{
  ExecArgs(const std::vector<std::string>& argv, const std::vector<std::string>& env) : mEnv(env)
  {
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (std::string& e : mEnv) envs.push_back(&e[0]);
  }
  [[noreturn]] void Exec()
  {
    for (char* e : envs) putenv(e);
    execvp(args[0], args.data());
    _exit(127);
  }
  std::vector<std::string> mEnv;
  std::vector<char*> args, envs;
};

// Waits for pid until the deadline; true when it exited (status filled).
bool WaitUntil(pid_t pid, Clock::time_point deadline, int* wstatus)
{
  for (;;)
  {
    const pid_t r = waitpid(pid, wstatus, WNOHANG);
    if (r == pid || r < 0) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
} // namespace

ChildResult RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const std::string& input, double timeoutSeconds)
{
  ChildResult r;
  const int out = TempFd(), err = TempFd(), in = TempFd();
  if (out < 0 || err < 0 || in < 0 || write(in, input.data(), input.size()) != (ssize_t) input.size())
    return r;
  lseek(in, 0, SEEK_SET);
  ExecArgs exec(argv, env);
  fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0)
  {
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    exec.Exec();
  }
  int wstatus = 0;
  if (pid > 0)
  {
    if (!WaitUntil(pid, Clock::now() + Millis(timeoutSeconds), &wstatus))
    {
      r.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
    }
    else if (WIFEXITED(wstatus))
      r.status = WEXITSTATUS(wstatus);
  }
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  close(out);
  close(err);
  close(in);
  return r;
}

bool BackgroundChild::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                            const std::string& logPath, int inheritFd)
{
  Stop();
  const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (log < 0) return false;
  ExecArgs exec(argv, env);
  fflush(nullptr);
  mPid = fork();
  if (mPid == 0)
  {
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    dup2(log, 1);
    dup2(log, 2);
    if (inheritFd >= 0) fcntl(inheritFd, F_SETFD, 0);
    exec.Exec();
  }
  close(log);
  return mPid > 0;
}

bool BackgroundChild::Running()
{
  if (mPid <= 0) return false;
  int wstatus = 0;
  if (waitpid(mPid, &wstatus, WNOHANG) == 0) return true;
  mPid = -1;
  return false;
}

void BackgroundChild::Stop(double boundSeconds)
{
  if (mPid <= 0) return;
  int wstatus = 0;
  kill(mPid, SIGTERM);
  if (!WaitUntil(mPid, Clock::now() + Millis(boundSeconds), &wstatus))
  {
    kill(mPid, SIGKILL);
    waitpid(mPid, &wstatus, 0);
  }
  mPid = -1;
}

bool OnPath(const std::string& program)
{
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size())
  {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

std::string ReadLine(int fd, double timeoutSeconds)
{
  std::string s;
  const Clock::time_point deadline = Clock::now() + Millis(timeoutSeconds);
  while (Clock::now() < deadline)
  {
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char c;
    if (read(fd, &c, 1) != 1) break;
    if (c == '\n') break;
    s += c;
  }
  return s;
}
