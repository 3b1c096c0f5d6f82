#pragma once
// What the tests of desktop tools share: a scratch folder of fake tools put first on
// PATH for the test's length, and a look for zombie children of this process.

#include "tests/gui/GuiTestSupport.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

// Fake tools written as shell scripts into a folder that is the whole PATH while the
// object lives (so scripts name other programs by their full paths).
class FakeTools
{
public:
  FakeTools()
  {
    const char* path = getenv("PATH");
    mSaved = path ? path : "";
    setenv("PATH", mDir.Path().c_str(), 1);
  }
  ~FakeTools() { setenv("PATH", mSaved.c_str(), 1); }

  void Add(const std::string& name, const std::string& body)
  {
    const std::string file = mDir.File(name);
    std::ofstream(file) << "#!/bin/sh\n" << body;
    chmod(file.c_str(), 0755);
  }
  std::string File(const std::string& name) const { return mDir.File(name); }
  std::string Read(const std::string& name) const
  {
    std::ifstream in(mDir.File(name));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

private:
  ScratchDir mDir;
  std::string mSaved;
};

// Children of this process that have ended and not been reaped.
inline int ZombieChildren()
{
  int zombies = 0;
  const std::string self = std::to_string(getpid());
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec))
  {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (comm) state ppid ...: comm may hold spaces, so read after the last ')'.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state, ppid;
    rest >> state >> ppid;
    if (state == "Z" && ppid == self) ++zombies;
  }
  return zombies;
}
