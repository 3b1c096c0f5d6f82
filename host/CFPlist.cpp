#include "host/CFPlist.h"

#include "host/CFText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{
// Deeper trees than any preset holds are refused rather than risking the stack.
constexpr int kMaxDepth = 64;

// What libplist hands out with malloc, and trees under construction.
struct FreeDeleter
{
  void operator()(void* p) const { free(p); }
};
using Malloced = std::unique_ptr<char, FreeDeleter>;
struct PlistDeleter
{
  void operator()(void* p) const { plist_free(p); }
};
using PlistHolder = std::unique_ptr<void, PlistDeleter>;

CFRef FromPlist(plist_t node, int depth);

CFRef DictFromPlist(plist_t node, int depth)
{
  CFRef dict(CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                       &kCFTypeDictionaryValueCallBacks));
  if (!dict) return dict;
  plist_dict_iter rawIt = nullptr;
  plist_dict_new_iter(node, &rawIt);
  std::unique_ptr<void, FreeDeleter> it(rawIt);
  if (!it) return CFRef();
  for (;;)
  {
    // Keys come as C text: trees read from bytes passed PlistShape, which refuses a
    // NUL in a key (libplist would assert on it here).
    char* rawKey = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(node, rawIt, &rawKey, &value);
    Malloced key(rawKey);
    if (!key) break;
    CFRef k = CFTextFromUTF8(key.get());
    CFRef v = value ? FromPlist(value, depth + 1) : CFRef();
    if (k && v) CFDictionarySetValue(dict.As<CFMutableDictionaryRef>(), k.Get(), v.Get());
  }
  return dict;
}

CFRef ArrayFromPlist(plist_t node, int depth)
{
  CFRef array(CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFTypeArrayCallBacks));
  if (!array) return array;
  const uint32_t n = plist_array_get_size(node);
  for (uint32_t i = 0; i < n; ++i)
  {
    CFRef v = FromPlist(plist_array_get_item(node, i), depth + 1);
    if (v) CFArrayAppendValue(array.As<CFMutableArrayRef>(), v.Get());
  }
  return array;
}

CFRef FromPlist(plist_t node, int depth)
{
  if (!node || depth > kMaxDepth) return CFRef();
  switch (plist_get_node_type(node))
  {
    case PLIST_DICT: return DictFromPlist(node, depth);
    case PLIST_ARRAY: return ArrayFromPlist(node, depth);
    case PLIST_STRING:
    {
      // Read with its length: libplist asserts on a NUL inside when asked for a copy,
      // and C text would end there.
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      if (!text || memchr(text, 0, (size_t) length)) return CFRef();
      return CFTextFromUTF8(std::string(text, (size_t) length));
    }
    case PLIST_UINT:
    {
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      // libplist keeps negative integers as their two's complement.
      const SInt64 v = (SInt64) u;
      return CFRef(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &v));
    }
    case PLIST_REAL:
    {
      double v = 0.0;
      plist_get_real_val(node, &v);
      return CFRef(CFNumberCreate(kCFAllocatorDefault, kCFNumberFloat64Type, &v));
    }
    case PLIST_DATA:
    {
      char* raw = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &raw, &length);
      Malloced bytes(raw);
      if (!bytes && length > 0) return CFRef();
      return CFRef(CFDataCreate(kCFAllocatorDefault, (const UInt8*) bytes.get(), (CFIndex) length));
    }
    default: return CFRef();
  }
}

plist_t ToPlist(CFTypeRef object, int depth);

plist_t DictToPlist(CFDictionaryRef dict, int depth)
{
  const CFIndex n = CFDictionaryGetCount(dict);
  std::vector<const void*> keys((size_t) n), values((size_t) n);
  CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
  std::vector<std::pair<std::string, CFTypeRef>> entries;
  for (CFIndex i = 0; i < n; ++i)
  {
    std::string key;
    if (CFTextToUTF8(keys[(size_t) i], &key)) entries.emplace_back(key, values[(size_t) i]);
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  PlistHolder node(plist_new_dict());
  if (!node) return nullptr;
  for (const auto& e : entries)
    if (plist_t v = ToPlist(e.second, depth + 1)) plist_dict_set_item(node.get(), e.first.c_str(), v);
  return node.release();
}

plist_t ArrayToPlist(CFArrayRef array, int depth)
{
  PlistHolder node(plist_new_array());
  if (!node) return nullptr;
  const CFIndex n = CFArrayGetCount(array);
  for (CFIndex i = 0; i < n; ++i)
    if (plist_t v = ToPlist(CFArrayGetValueAtIndex(array, i), depth + 1))
      plist_array_append_item(node.get(), v);
  return node.release();
}

plist_t ToPlist(CFTypeRef object, int depth)
{
  if (!object || depth > kMaxDepth) return nullptr;
  const CFTypeID type = CFGetTypeID(object);
  if (type == CFDictionaryGetTypeID()) return DictToPlist((CFDictionaryRef) object, depth);
  if (type == CFArrayGetTypeID()) return ArrayToPlist((CFArrayRef) object, depth);
  if (type == CFStringGetTypeID())
  {
    std::string text;
    return CFTextToUTF8(object, &text) ? plist_new_string(text.c_str()) : nullptr;
  }
  if (type == CFNumberGetTypeID())
  {
    CFNumberRef number = (CFNumberRef) object;
    if (CFNumberIsFloatType(number))
    {
      double v = 0.0;
      CFNumberGetValue(number, kCFNumberFloat64Type, &v);
      return plist_new_real(v);
    }
    SInt64 v = 0;
    CFNumberGetValue(number, kCFNumberSInt64Type, &v);
    return plist_new_uint((uint64_t) v);
  }
  if (type == CFDataGetTypeID())
  {
    CFDataRef data = (CFDataRef) object;
    return plist_new_data((const char*) CFDataGetBytePtr(data), (uint64_t) CFDataGetLength(data));
  }
  return nullptr;
}
} // namespace

CFRef CFFromPlist(plist_t node)
{
  try
  {
    return FromPlist(node, 0);
  }
  catch (...)
  {
    return CFRef();
  }
}

plist_t PlistFromCF(CFTypeRef object)
{
  try
  {
    return ToPlist(object, 0);
  }
  catch (...)
  {
    return nullptr;
  }
}
