#pragma once
// What the tests that run the LV2 command-line tools and hosts share: the environment
// that lets a host find the build tree's bundle (and, in a sanitizer build, load it),
// and a temporary directory per test.

#include "tests/lv2/ChildProcess.h"
#include "tests/tools/CliHarness.h"

#include <string>
#include <vector>

// LV2_PATH with the build tree's bundles first; in a sanitizer build the sanitizer
// runtime preloaded (with `preload` after it), as the host itself is not instrumented.
inline std::vector<std::string> HostEnv(const std::string& preload = "")
{
  std::vector<std::string> env = {"LV2_PATH=" OSTRAKON_LV2_PATH ":/usr/lib/lv2"};
  std::string libs = OSTRAKON_SANITIZER_RUNTIME;
  if (!preload.empty()) libs += (libs.empty() ? "" : ":") + preload;
  if (!libs.empty()) env.push_back("LD_PRELOAD=" + libs);
  // A host's own leaks are not the plug-in's; the plug-in's are checked in process.
  if (*OSTRAKON_SANITIZER_RUNTIME) env.push_back("ASAN_OPTIONS=detect_leaks=0");
  return env;
}

// The sanitizer build's plug-in needs the sanitizer runtime preloaded into a host.
constexpr bool kSanitizerBuild = OSTRAKON_SANITIZER_RUNTIME[0] != '\0';

// A test skips, saying why, when a tool it drives is not installed.
#define REQUIRE_TOOLS(...)                                                          \
  do                                                                                \
  {                                                                                 \
    for (const char* tool : {__VA_ARGS__})                                          \
      if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed (see ./do)"; \
  } while (0)
