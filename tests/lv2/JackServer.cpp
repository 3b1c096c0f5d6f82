#include "tests/lv2/JackServer.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace
{
constexpr int kPoolSize = 5;

std::string ReadLog(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}
} // namespace

bool StartJackServer(BackgroundChild* jack, const std::string& logPrefix, std::string* name, std::string* why)
{
  // Twice round the pool, from a place of this process's own, so that tests starting
  // together try different names first: a name in use now may be free once its test
  // is done.
  const int first = (int) (getpid() % kPoolSize);
  for (int attempt = 0; attempt < 2 * kPoolSize; ++attempt)
  {
    if (attempt == kPoolSize) std::this_thread::sleep_for(std::chrono::seconds(3));
    *name = "ostrakon-test-" + std::to_string((first + attempt) % kPoolSize);
    const std::string log = logPrefix + "-" + std::to_string(attempt) + ".log";
    if (!jack->Start({"jackd", "--no-realtime", "-n", *name, "-d", "dummy", "-r", "48000", "-p", "256"},
                     {"JACK_NO_AUDIO_RESERVATION=1"}, log))
    {
      *why = "jackd could not be run";
      return false;
    }
    // Up when this server (not another of the same name) answers.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    bool up = false;
    while (jack->Running() && !up && std::chrono::steady_clock::now() < deadline)
    {
      const std::string said = RunChild({"jack_wait", "-s", *name, "-c"}, {}, "", 10).out;
      up = said.find("running") != std::string::npos && said.find("not running") == std::string::npos &&
           jack->Running();
      if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    // A server of the same name started by another test answers too, while this one
    // is still on its way out: this one must still run a moment later, having said
    // nothing of the name being taken.
    if (up)
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      if (jack->Running() && ReadLog(log).find("already active") == std::string::npos) return true;
    }
    jack->Stop();
    *why = ReadLog(log);
    const bool nameTaken = why->find("already active") != std::string::npos;
    const bool tableFull = why->find("Too many servers") != std::string::npos ||
                           why->find("too many servers") != std::string::npos;
    if (!nameTaken && !tableFull) return false;
  }
  return false;
}
