#include "host/CFText.h"

#include <vector>

bool CFTextToUTF8(CFTypeRef string, std::string* text)
{
  text->clear();
  if (!string || CFGetTypeID(string) != CFStringGetTypeID()) return false;
  CFStringRef s = (CFStringRef) string;
  // Sized for the UTF-8 form: a UTF-16 length would only hold ASCII.
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  if (size <= 0) return false;
  std::vector<char> buf((size_t) size);
  if (!CFStringGetCString(s, buf.data(), size, kCFStringEncodingUTF8)) return false;
  text->assign(buf.data());
  return true;
}

CFRef CFTextFromUTF8(const std::string& text)
{
  return CFRef(CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8));
}
