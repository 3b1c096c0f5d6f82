#include "IPlug/IPlugUtilities.h"

#include "IPlug/WDL/WDL_String.h"

#include <cctype>
#include <cstring>

bool Timer::Every(double seconds)
{
  const clock_t now = clock();
  if ((double) (now - mStart) > seconds * (double) CLOCKS_PER_SEC)
  {
    mStart = now;
    return true;
  }
  return false;
}

const char* CurrentTime()
{
  static char sBuf[64];
  const time_t t = time(nullptr);
  struct tm local;
  if (!localtime_r(&t, &local))
  {
    sBuf[0] = 0;
    return sBuf;
  }
  size_t n = strftime(sBuf, sizeof(sBuf), "%Y%m%d %H:%M ", &local);
  char zone[64];
  if (!strftime(zone, sizeof(zone), "%Z", &local)) zone[0] = 0;
  for (const char* z = zone; *z && n < sizeof(sBuf) - 1; ++z)
    if (*z >= 'A' && *z <= 'Z') sBuf[n++] = *z;
  sBuf[n] = 0;
  return sBuf;
}

void CompileTimestamp(const char* date, const char* time, WDL_String* out)
{
  if (!out) return;
  // The day is padded to two characters; dropping the one after the month keeps
  // a one-digit day readable ("Dec 7") and joins a two-digit one ("Dec17").
  WDL_String day(date ? date : "", 6);
  day.DeleteSub(3, 1);
  out->Set("[");
  out->Append(day.Get());
  out->Append(" ");
  out->Append(time ? time : "", 5);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text)
{
  static WDL_String sText;
  WDL_String stamp;
  CompileTimestamp(date, time, &stamp);
  sText.Set(text ? text : "");
  sText.Append(" ");
  sText.Append(stamp.Get());
  return sText.Get();
}

bool IsWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void ToLower(char* out, const char* in)
{
  if (!out) return;
  if (!in) in = "";
  do
    *out++ = (char) tolower((unsigned char) *in);
  while (*in++);
}

void ToLower(char* out, const char* in, int outSize)
{
  if (!out || outSize <= 0) return;
  if (!in) in = "";
  int i = 0;
  for (; i < outSize - 1 && in[i]; ++i) out[i] = (char) tolower((unsigned char) in[i]);
  out[i] = 0;
}
