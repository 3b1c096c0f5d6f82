#pragma once
// Small helpers of the framework: a coarse processor-time timer, time-stamp texts
// and two character functions.

#include <ctime>

class WDL_String;

// Counts processor time, not wall-clock time.
class Timer
{
public:
  Timer() : mStart(clock()) {}

  // True, and restarts, once more than the given seconds have passed since the last start.
  bool Every(double seconds);

private:
  clock_t mStart;
};

// "YYYYMMDD HH:MM " and the upper-case letters of the time-zone name, in one static
// buffer that the next call overwrites.
const char* CurrentTime();

// From the compiler's __DATE__ ("Dec  7 2026") and __TIME__ ("14:23:45"):
// "[Dec 7 14:23]"; a two-digit day gives "[Dec17 14:23]".
void CompileTimestamp(const char* date, const char* time, WDL_String* out);

// text, a space and the compile time stamp, in one static string that the next call
// overwrites.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Space, tab, line feed and carriage return.
bool IsWhitespace(char c);

// Copies in to out lower-cased; out holds strlen(in) + 1 bytes, or outSize bytes in
// the bounded form, which cuts and always terminates. in and out may be the same.
void ToLower(char* out, const char* in);
void ToLower(char* out, const char* in, int outSize);
