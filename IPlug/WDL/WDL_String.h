#pragma once
// Growable NUL-terminated text. Get() is never null: an empty string reads "".

#include "IPlug/WDL/WDL_HeapBuf.h"

class WDL_String
{
public:
  explicit WDL_String(const char* initial = nullptr, int maxLen = -1);
  WDL_String(const WDL_String& other);
  WDL_String& operator=(const WDL_String& other);

  const char* Get() const;
  char* GetWritable(); // null while nothing has been stored
  int GetLength() const;

  // maxLen < 0 copies the whole text; otherwise at most maxLen characters.
  void Set(const char* text, int maxLen = -1);
  void Append(const char* text, int maxLen = -1);
  void Insert(const char* text, int position, int maxLen = -1);
  void DeleteSub(int position, int length);
  void SetLen(int length); // truncates, or pads with spaces

  // printf-style; the formatted text is cut to maxLen characters.
  void SetFormatted(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

private:
  WDL_HeapBuf mHeap{128};
};
