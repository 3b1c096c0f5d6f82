#include "IPlug/IPlugUtilities.h"
#include "IPlug/IPlugVersion.h"
#include "IPlug/Trace.h"
#include "IPlug/WDL/WDL_String.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <regex>
#include <string>

TEST(Versions, PartsDecimalAndText)
{
  int major = -1, minor = -1, bugfix = -1;
  GetVersionParts(0x20002, &major, &minor, &bugfix);
  EXPECT_EQ(major, 2);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(bugfix, 2);
  EXPECT_EQ(GetDecimalVersion(0x20002), 20002);
  char text[MAX_VERSION_STR_LEN];
  GetVersionStr(0x20002, text);
  EXPECT_STREQ(text, "v2.0.2");

  // Minor 10 prints as 10, not as a hexadecimal digit.
  GetVersionStr(0x30A05, text);
  EXPECT_STREQ(text, "v3.10.5");
  EXPECT_EQ(GetDecimalVersion(0x30A05), 31005);
  GetVersionStr(0x1000000, text);
  EXPECT_STREQ(text, "v256.0.0");

  // The widest version still fits the text.
  GetVersionStr(-1, text);
  EXPECT_STREQ(text, "v65535.255.255");
  EXPECT_EQ(GetDecimalVersion(-1), 655375755);
  GetVersionParts(0x20002, nullptr, &minor, nullptr);
  EXPECT_EQ(minor, 0);
}

TEST(Utilities, CompileTimestampOfOneAndTwoDigitDays)
{
  WDL_String out;
  CompileTimestamp("Dec  7 2026", "14:23:45", &out);
  EXPECT_STREQ(out.Get(), "[Dec 7 14:23]");
  CompileTimestamp("Dec 17 2026", "14:23:45", &out);
  EXPECT_STREQ(out.Get(), "[Dec17 14:23]");
  CompileTimestamp("Dec", "1", &out); // short inputs are read only as far as they go
  EXPECT_STREQ(out.Get(), "[Dec 1]");
  CompileTimestamp(nullptr, nullptr, &out);
  EXPECT_STREQ(out.Get(), "[ ]");

  EXPECT_STREQ(AppendTimestamp("Jan  1 2027", "00:00:01", "Ostrakon"), "Ostrakon [Jan 1 00:00]");
  const char* again = AppendTimestamp("Feb 28 2027", "23:59:59", "v2");
  EXPECT_STREQ(again, "v2 [Feb28 23:59]");
  EXPECT_EQ(again, AppendTimestamp("Feb 28 2027", "23:59:59", "v2")); // one static string

  // The compiler's own forms fit the pattern.
  const std::string stamp = AppendTimestamp(__DATE__, __TIME__, "x");
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(x \[[A-Z][a-z]{2}[ 0-9][0-9] \d\d:\d\d\])")))
      << stamp;
}

TEST(Utilities, CurrentTimeKeepsOnlyUpperCaseZoneLetters)
{
  const char* saved = getenv("TZ");
  const std::string old = saved ? saved : "";
  setenv("TZ", "<AbC>+3", 1);
  tzset();
  const std::string now = CurrentTime();
  if (saved)
    setenv("TZ", old.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
  EXPECT_TRUE(std::regex_match(now, std::regex(R"(\d{8} \d\d:\d\d AC)"))) << now;
  EXPECT_EQ(CurrentTime(), CurrentTime()); // one static buffer
}

TEST(Utilities, CharacterHelpers)
{
  for (char c : {' ', '\t', '\n', '\r'}) EXPECT_TRUE(IsWhitespace(c));
  for (char c : {'a', '\v', '\f', '\0', '_'}) EXPECT_FALSE(IsWhitespace(c));

  char out[32];
  ToLower(out, "Logic Pro X 10.7");
  EXPECT_STREQ(out, "logic pro x 10.7");
  char inPlace[] = "ReAPER";
  ToLower(inPlace, inPlace);
  EXPECT_STREQ(inPlace, "reaper");
  char small[6] = "zzzzz";
  ToLower(small, "ABCDEFGH", (int) sizeof(small));
  EXPECT_STREQ(small, "abcde");
  ToLower(small, "\xC4X", (int) sizeof(small)); // bytes above 127 pass through
  EXPECT_STREQ(small, "\xC4x");
  ToLower(small, nullptr, (int) sizeof(small));
  EXPECT_STREQ(small, "");
}

TEST(Utilities, TimerFiresAtMostOncePerPeriodOfProcessorTime)
{
  Timer t;
  EXPECT_FALSE(t.Every(10.0));
  // Spin on processor time, not sleep: the timer counts processor clock ticks.
  const clock_t start = clock();
  int fired = 0;
  volatile double sink = 0.0;
  while (clock() - start < CLOCKS_PER_SEC / 10)
  {
    for (int i = 0; i < 1000; ++i) sink = sink + i;
    if (t.Every(0.04))
    {
      ++fired;
      EXPECT_FALSE(t.Every(0.04)); // just restarted
    }
  }
  EXPECT_GE(fired, 1);
  EXPECT_LE(fired, 2); // 0.1 s holds at most two periods of more than 0.04 s
}

TEST(Utilities, TraceAndNameHooksDoNothing)
{
  Trace("f", 1, "%d %s", 3, "x");
  EXPECT_STREQ(AUSelectStr(1), "");
  EXPECT_STREQ(AUPropertyStr(36), "");
  EXPECT_STREQ(AUScopeStr(0), "");
  EXPECT_STREQ(VSTOpcodeStr(12), "");
}
