#include "platform/CoreFoundation/CoreFoundation.h"
#include "platform/StandIn.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

// Every object is a CFObject; a reference handed out is the CFObject's address, cast to
// the opaque type. Creation never throws across the interface: a failed allocation
// gives null, as on the platform.

namespace
{
enum : CFTypeID
{
  kTypeString = 7,
  kTypeNumber = 22,
  kTypeData = 20,
  kTypeArray = 19,
  kTypeDictionary = 18,
  kTypeURL = 29,
  kTypeBundle = 31
};

std::atomic<CFIndex> gLiveObjects{0};

struct CFObject
{
  CFObject(CFTypeID type, bool immortal) : mType(type), mImmortal(immortal)
  {
    if (!mImmortal) ++gLiveObjects;
  }
  virtual ~CFObject()
  {
    if (!mImmortal) --gLiveObjects;
  }
  CFObject(const CFObject&) = delete;
  CFObject& operator=(const CFObject&) = delete;

  const CFTypeID mType;
  const bool mImmortal;
  std::atomic<CFIndex> mRefs{1};
};

CFObject* Obj(CFTypeRef cf) { return reinterpret_cast<CFObject*>(const_cast<void*>(cf)); }

template <class T>
T* As(CFTypeRef cf)
{
  CFObject* o = Obj(cf);
  return o && o->mType == T::kType ? static_cast<T*>(o) : nullptr;
}

template <class Ref>
Ref Out(CFObject* o)
{
  return reinterpret_cast<Ref>(o);
}

// ----- strings -----

// Returns the number of UTF-16 units of valid UTF-8 text, or -1.
CFIndex Utf16Length(const std::string& s)
{
  CFIndex units = 0;
  const unsigned char* p = (const unsigned char*) s.data();
  const size_t n = s.size();
  size_t i = 0;
  while (i < n)
  {
    const unsigned c = p[i];
    unsigned cp, len;
    if (c < 0x80) { cp = c; len = 1; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
    else return -1;
    if (i + len > n) return -1;
    for (unsigned k = 1; k < len; ++k)
    {
      if ((p[i + k] & 0xC0) != 0x80) return -1;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    static const unsigned kMinForLength[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinForLength[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    units += cp >= 0x10000 ? 2 : 1;
    i += len;
  }
  return units;
}

bool IsAscii(const std::string& s)
{
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

struct StringObj : CFObject
{
  static constexpr CFTypeID kType = kTypeString;
  StringObj(std::string text, CFIndex units, bool immortal = false)
    : CFObject(kType, immortal), mText(std::move(text)), mUnits(units)
  {
  }
  const std::string mText; // UTF-8
  const CFIndex mUnits;    // UTF-16 length
};

StringObj* MakeString(const std::string& text, bool immortal = false)
{
  const CFIndex units = Utf16Length(text);
  if (units < 0) return nullptr;
  return new (std::nothrow) StringObj(text, units, immortal);
}

// ----- numbers -----

struct NumberObj : CFObject
{
  static constexpr CFTypeID kType = kTypeNumber;
  NumberObj(CFNumberType type, bool isFloat, SInt64 i, double d)
    : CFObject(kType, false), mNumberType(type), mIsFloat(isFloat), mInt(i), mDouble(d)
  {
  }
  const CFNumberType mNumberType;
  const bool mIsFloat;
  const SInt64 mInt;
  const double mDouble;
};

bool IsFloatNumberType(CFNumberType t)
{
  return t == kCFNumberFloat32Type || t == kCFNumberFloat64Type || t == kCFNumberFloatType ||
         t == kCFNumberDoubleType || t == kCFNumberCGFloatType;
}

// Bytes of a number type, 0 for an unknown one.
size_t NumberTypeSize(CFNumberType t)
{
  switch (t)
  {
    case kCFNumberSInt8Type:
    case kCFNumberCharType: return 1;
    case kCFNumberSInt16Type:
    case kCFNumberShortType: return 2;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: return 4;
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType:
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType: return 8;
    default: return 0;
  }
}

template <class T>
bool StoreInt(SInt64 v, void* out)
{
  const T t = (T) v;
  memcpy(out, &t, sizeof t);
  return (SInt64) t == v;
}

// ----- data -----

struct DataObj : CFObject
{
  static constexpr CFTypeID kType = kTypeData;
  DataObj() : CFObject(kType, false) {}
  std::vector<UInt8> mBytes;
};

// ----- arrays and dictionaries -----

struct ArrayObj : CFObject
{
  static constexpr CFTypeID kType = kTypeArray;
  ArrayObj(CFAllocatorRef allocator, const CFArrayCallBacks* cb)
    : CFObject(kType, false), mAllocator(allocator)
  {
    if (cb) mCallBacks = *cb;
  }
  ~ArrayObj() override
  {
    if (mCallBacks.release)
      for (const void* v : mValues) mCallBacks.release(mAllocator, v);
  }
  CFAllocatorRef mAllocator;
  CFArrayCallBacks mCallBacks = {0, nullptr, nullptr, nullptr, nullptr};
  std::vector<const void*> mValues;
};

struct DictionaryObj : CFObject
{
  static constexpr CFTypeID kType = kTypeDictionary;
  DictionaryObj(CFAllocatorRef allocator, const CFDictionaryKeyCallBacks* kcb,
                const CFDictionaryValueCallBacks* vcb)
    : CFObject(kType, false), mAllocator(allocator)
  {
    if (kcb) mKeyCallBacks = *kcb;
    if (vcb) mValueCallBacks = *vcb;
  }
  ~DictionaryObj() override
  {
    for (auto& kv : mEntries)
    {
      if (mKeyCallBacks.release) mKeyCallBacks.release(mAllocator, kv.first);
      if (mValueCallBacks.release) mValueCallBacks.release(mAllocator, kv.second);
    }
  }
  bool KeysEqual(const void* a, const void* b) const
  {
    return a == b || (mKeyCallBacks.equal && mKeyCallBacks.equal(a, b));
  }
  // Index of the key, or -1. Dictionaries here hold a handful of entries; a linear
  // search keeps the key order without a second structure.
  long Find(const void* key) const
  {
    for (size_t i = 0; i < mEntries.size(); ++i)
      if (KeysEqual(mEntries[i].first, key)) return (long) i;
    return -1;
  }
  CFAllocatorRef mAllocator;
  CFDictionaryKeyCallBacks mKeyCallBacks = {0, nullptr, nullptr, nullptr, nullptr, nullptr};
  CFDictionaryValueCallBacks mValueCallBacks = {0, nullptr, nullptr, nullptr, nullptr};
  std::vector<std::pair<const void*, const void*>> mEntries;
};

// ----- URLs and bundles -----

struct URLObj : CFObject
{
  static constexpr CFTypeID kType = kTypeURL;
  URLObj(std::string path, bool isDirectory)
    : CFObject(kType, false), mPath(std::move(path)), mIsDirectory(isDirectory)
  {
  }
  const std::string mPath;
  const bool mIsDirectory;
};

struct BundleObj : CFObject
{
  static constexpr CFTypeID kType = kTypeBundle;
  BundleObj() : CFObject(kType, true) {}
  StringObj* mIdentifier = nullptr; // immortal
  std::string mPath;
};

// Registries live for the whole process and are never destroyed, so what they hold
// stays reachable (and is not reported as leaked) until exit.
struct Registry
{
  std::mutex mMutex;
  std::unordered_map<std::string, StringObj*> mConstantStrings;
  std::vector<BundleObj*> mBundles;
  BundleObj* mMainBundle = nullptr;
  std::vector<StringObj*> mRetiredIdentifiers;
};

Registry& GetRegistry()
{
  static Registry* registry = new Registry;
  return *registry;
}

std::string DefaultMainBundlePath()
{
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "/";
  std::string path(buf, (size_t) n);
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

BundleObj* MainBundleLocked(Registry& r)
{
  if (!r.mMainBundle)
  {
    r.mMainBundle = new BundleObj;
    r.mMainBundle->mPath = DefaultMainBundlePath();
  }
  return r.mMainBundle;
}

void SetBundle(Registry& r, BundleObj* b, const char* identifier, const char* path)
{
  if (b->mIdentifier) r.mRetiredIdentifiers.push_back(b->mIdentifier);
  b->mIdentifier = identifier ? MakeString(identifier, true) : nullptr;
  b->mPath = path ? path : "";
}

CFHashCode HashBytes(const void* data, size_t n)
{
  const unsigned char* p = (const unsigned char*) data;
  CFHashCode h = 1469598103934665603UL;
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211UL;
  return h;
}

const void* RetainCallBack(CFAllocatorRef, const void* value) { return CFRetain(value); }
void ReleaseCallBack(CFAllocatorRef, const void* value) { CFRelease(value); }
} // namespace

extern "C" {

const CFAllocatorRef kCFAllocatorDefault = nullptr;

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainCallBack, ReleaseCallBack, CFCopyDescription,
                                                CFEqual};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
  0, RetainCallBack, ReleaseCallBack, CFCopyDescription, CFEqual, CFHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {
  0, RetainCallBack, ReleaseCallBack, CFCopyDescription, CFEqual};

void* CFAllocatorAllocate(CFAllocatorRef, CFIndex size, CFOptionFlags)
{
  return size > 0 ? malloc((size_t) size) : nullptr;
}

void CFAllocatorDeallocate(CFAllocatorRef, void* ptr) { free(ptr); }

// ----- every object -----

CFTypeRef CFRetain(CFTypeRef cf)
{
  CFObject* o = Obj(cf);
  if (o && !o->mImmortal) o->mRefs.fetch_add(1, std::memory_order_relaxed);
  return cf;
}

void CFRelease(CFTypeRef cf)
{
  CFObject* o = Obj(cf);
  if (!o || o->mImmortal) return;
  if (o->mRefs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef cf)
{
  CFObject* o = Obj(cf);
  if (!o) return 0;
  return o->mImmortal ? std::numeric_limits<CFIndex>::max() : o->mRefs.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef cf)
{
  CFObject* o = Obj(cf);
  return o ? o->mType : 0;
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2)
{
  if (cf1 == cf2) return true;
  CFObject* a = Obj(cf1);
  CFObject* b = Obj(cf2);
  if (!a || !b || a->mType != b->mType) return false;
  switch (a->mType)
  {
    case kTypeString: return static_cast<StringObj*>(a)->mText == static_cast<StringObj*>(b)->mText;
    case kTypeData: return static_cast<DataObj*>(a)->mBytes == static_cast<DataObj*>(b)->mBytes;
    case kTypeURL:
    {
      URLObj* ua = static_cast<URLObj*>(a);
      URLObj* ub = static_cast<URLObj*>(b);
      return ua->mPath == ub->mPath && ua->mIsDirectory == ub->mIsDirectory;
    }
    case kTypeNumber:
    {
      NumberObj* na = static_cast<NumberObj*>(a);
      NumberObj* nb = static_cast<NumberObj*>(b);
      if (!na->mIsFloat && !nb->mIsFloat) return na->mInt == nb->mInt;
      return na->mDouble == nb->mDouble;
    }
    default: return false;
  }
}

CFHashCode CFHash(CFTypeRef cf)
{
  CFObject* o = Obj(cf);
  if (!o) return 0;
  switch (o->mType)
  {
    case kTypeString:
    {
      const std::string& s = static_cast<StringObj*>(o)->mText;
      return HashBytes(s.data(), s.size());
    }
    case kTypeData:
    {
      const std::vector<UInt8>& d = static_cast<DataObj*>(o)->mBytes;
      return HashBytes(d.data(), d.size());
    }
    case kTypeURL:
    {
      const std::string& s = static_cast<URLObj*>(o)->mPath;
      return HashBytes(s.data(), s.size());
    }
    case kTypeNumber:
    {
      // Equal numbers must hash alike whatever their types.
      const double d = static_cast<NumberObj*>(o)->mDouble;
      return HashBytes(&d, sizeof d);
    }
    default: return (CFHashCode) (uintptr_t) cf;
  }
}

CFStringRef CFCopyDescription(CFTypeRef cf)
{
  CFObject* o = Obj(cf);
  if (!o) return nullptr;
  char buf[64];
  switch (o->mType)
  {
    case kTypeString: CFRetain(cf); return (CFStringRef) cf;
    case kTypeNumber:
    {
      NumberObj* n = static_cast<NumberObj*>(o);
      if (n->mIsFloat)
        snprintf(buf, sizeof buf, "%.17g", n->mDouble);
      else
        snprintf(buf, sizeof buf, "%lld", (long long) n->mInt);
      break;
    }
    case kTypeURL: return CFURLCopyFileSystemPath((CFURLRef) cf, kCFURLPOSIXPathStyle);
    default: snprintf(buf, sizeof buf, "<CFType %lu %p>", o->mType, cf); break;
  }
  return CFStringCreateWithCString(kCFAllocatorDefault, buf, kCFStringEncodingUTF8);
}

// ----- strings -----

CFTypeID CFStringGetTypeID(void) { return kTypeString; }

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding)
{
  if (!cStr) return nullptr;
  try
  {
    std::string text(cStr);
    if (encoding == kCFStringEncodingASCII && !IsAscii(text)) return nullptr;
    if (encoding != kCFStringEncodingASCII && encoding != kCFStringEncodingUTF8) return nullptr;
    return Out<CFStringRef>(MakeString(text));
  }
  catch (...)
  {
    return nullptr;
  }
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString)
{
  // Strings are immutable, so a copy is the same object.
  return As<StringObj>(theString) ? (CFStringRef) CFRetain(theString) : nullptr;
}

CFIndex CFStringGetLength(CFStringRef theString)
{
  StringObj* s = As<StringObj>(theString);
  return s ? s->mUnits : 0;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
  if (length < 0) return 0;
  // A UTF-16 unit needs at most three UTF-8 bytes (a surrogate pair needs four for two).
  return encoding == kCFStringEncodingUTF8 ? 3 * length : length;
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding)
{
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = 0;
  StringObj* s = As<StringObj>(theString);
  if (!s) return false;
  if (encoding == kCFStringEncodingASCII && !IsAscii(s->mText)) return false;
  if (encoding != kCFStringEncodingASCII && encoding != kCFStringEncodingUTF8) return false;
  if ((CFIndex) s->mText.size() + 1 > bufferSize) return false;
  memcpy(buffer, s->mText.c_str(), s->mText.size() + 1);
  return true;
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions)
{
  StringObj* a = As<StringObj>(theString1);
  StringObj* b = As<StringObj>(theString2);
  const std::string empty;
  const std::string& sa = a ? a->mText : empty;
  const std::string& sb = b ? b->mText : empty;
  const bool fold = (compareOptions & kCFCompareCaseInsensitive) != 0;
  const size_t n = sa.size() < sb.size() ? sa.size() : sb.size();
  for (size_t i = 0; i < n; ++i)
  {
    unsigned ca = (unsigned char) sa[i], cb = (unsigned char) sb[i];
    if (fold)
    {
      if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
      if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
    }
    if (ca != cb) return ca < cb ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  if (sa.size() == sb.size()) return kCFCompareEqualTo;
  return sa.size() < sb.size() ? kCFCompareLessThan : kCFCompareGreaterThan;
}

CFStringRef CFStringMakeConstantString(const char* cStr)
{
  if (!cStr) return nullptr;
  try
  {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> lock(r.mMutex);
    auto it = r.mConstantStrings.find(cStr);
    if (it != r.mConstantStrings.end()) return Out<CFStringRef>(it->second);
    StringObj* s = MakeString(cStr, true);
    if (s) r.mConstantStrings.emplace(cStr, s);
    return Out<CFStringRef>(s);
  }
  catch (...)
  {
    return nullptr;
  }
}

// ----- numbers -----

CFTypeID CFNumberGetTypeID(void) { return kTypeNumber; }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr)
{
  const size_t size = NumberTypeSize(theType);
  if (!valuePtr || !size) return nullptr;
  SInt64 i = 0;
  double d = 0.0;
  const bool isFloat = IsFloatNumberType(theType);
  if (isFloat)
  {
    if (size == 4)
    {
      float f;
      memcpy(&f, valuePtr, 4);
      d = f;
    }
    else
      memcpy(&d, valuePtr, 8);
    i = std::isfinite(d) && std::fabs(d) < 9.2e18 ? (SInt64) d : 0;
  }
  else
  {
    switch (size)
    {
      case 1: { SInt8 v; memcpy(&v, valuePtr, 1); i = v; break; }
      case 2: { SInt16 v; memcpy(&v, valuePtr, 2); i = v; break; }
      case 4: { SInt32 v; memcpy(&v, valuePtr, 4); i = v; break; }
      default: memcpy(&i, valuePtr, 8); break;
    }
    d = (double) i;
  }
  return Out<CFNumberRef>(new (std::nothrow) NumberObj(theType, isFloat, i, d));
}

CFNumberType CFNumberGetType(CFNumberRef number)
{
  NumberObj* n = As<NumberObj>(number);
  return n ? n->mNumberType : 0;
}

Boolean CFNumberIsFloatType(CFNumberRef number)
{
  NumberObj* n = As<NumberObj>(number);
  return n && n->mIsFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr)
{
  NumberObj* n = As<NumberObj>(number);
  const size_t size = NumberTypeSize(theType);
  if (!n || !valuePtr || !size) return false;
  if (IsFloatNumberType(theType))
  {
    const double v = n->mIsFloat ? n->mDouble : (double) n->mInt;
    bool exact = n->mIsFloat || (std::fabs(v) < 9.2e18 && (SInt64) v == n->mInt);
    if (size == 4)
    {
      const float f = (float) v;
      memcpy(valuePtr, &f, 4);
      exact = exact && ((double) f == v || v != v);
    }
    else
      memcpy(valuePtr, &v, 8);
    return exact;
  }
  const bool whole = !n->mIsFloat || (double) n->mInt == n->mDouble;
  bool exact;
  switch (size)
  {
    case 1: exact = StoreInt<SInt8>(n->mInt, valuePtr); break;
    case 2: exact = StoreInt<SInt16>(n->mInt, valuePtr); break;
    case 4: exact = StoreInt<SInt32>(n->mInt, valuePtr); break;
    default: exact = StoreInt<SInt64>(n->mInt, valuePtr); break;
  }
  return exact && whole;
}

// ----- data -----

CFTypeID CFDataGetTypeID(void) { return kTypeData; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length)
{
  if (length < 0 || (length > 0 && !bytes)) return nullptr;
  try
  {
    DataObj* d = new DataObj;
    d->mBytes.assign(bytes, bytes + length);
    return Out<CFDataRef>(d);
  }
  catch (...)
  {
    return nullptr;
  }
}

CFIndex CFDataGetLength(CFDataRef theData)
{
  DataObj* d = As<DataObj>(theData);
  return d ? (CFIndex) d->mBytes.size() : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef theData)
{
  DataObj* d = As<DataObj>(theData);
  return d && !d->mBytes.empty() ? d->mBytes.data() : nullptr;
}

// ----- arrays -----

CFTypeID CFArrayGetTypeID(void) { return kTypeArray; }

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks)
{
  if (capacity < 0) return nullptr;
  try
  {
    ArrayObj* a = new ArrayObj(allocator, callBacks);
    if (capacity > 0 && capacity < 4096) a->mValues.reserve((size_t) capacity);
    return Out<CFMutableArrayRef>(a);
  }
  catch (...)
  {
    return nullptr;
  }
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value)
{
  ArrayObj* a = As<ArrayObj>(theArray);
  if (!a) return;
  try
  {
    a->mValues.reserve(a->mValues.size() + 1);
  }
  catch (...)
  {
    return;
  }
  a->mValues.push_back(a->mCallBacks.retain ? a->mCallBacks.retain(a->mAllocator, value) : value);
}

CFIndex CFArrayGetCount(CFArrayRef theArray)
{
  ArrayObj* a = As<ArrayObj>(theArray);
  return a ? (CFIndex) a->mValues.size() : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx)
{
  ArrayObj* a = As<ArrayObj>(theArray);
  if (!a || idx < 0 || idx >= (CFIndex) a->mValues.size()) return nullptr;
  return a->mValues[(size_t) idx];
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value)
{
  ArrayObj* a = As<ArrayObj>(theArray);
  if (!a || range.location < 0 || range.length < 0) return -1;
  const CFIndex end = range.location + range.length;
  for (CFIndex i = range.location; i < end && i < (CFIndex) a->mValues.size(); ++i)
  {
    const void* v = a->mValues[(size_t) i];
    if (v == value || (a->mCallBacks.equal && a->mCallBacks.equal(v, value))) return i;
  }
  return -1;
}

// ----- dictionaries -----

CFTypeID CFDictionaryGetTypeID(void) { return kTypeDictionary; }

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks)
{
  if (capacity < 0) return nullptr;
  return Out<CFMutableDictionaryRef>(new (std::nothrow) DictionaryObj(allocator, keyCallBacks,
                                                                      valueCallBacks));
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  DictionaryObj* d = As<DictionaryObj>(theDict);
  if (!d) return;
  const long i = d->Find(key);
  const CFDictionaryValueCallBacks& vcb = d->mValueCallBacks;
  if (i >= 0)
  {
    // Retain first: the new value may be the old one.
    const void* v = vcb.retain ? vcb.retain(d->mAllocator, value) : value;
    const void* old = d->mEntries[(size_t) i].second;
    d->mEntries[(size_t) i].second = v;
    if (vcb.release) vcb.release(d->mAllocator, old);
    return;
  }
  try
  {
    d->mEntries.reserve(d->mEntries.size() + 1);
  }
  catch (...)
  {
    return;
  }
  const CFDictionaryKeyCallBacks& kcb = d->mKeyCallBacks;
  const void* k = kcb.retain ? kcb.retain(d->mAllocator, key) : key;
  const void* v = vcb.retain ? vcb.retain(d->mAllocator, value) : value;
  d->mEntries.emplace_back(k, v);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key)
{
  DictionaryObj* d = As<DictionaryObj>(theDict);
  if (!d) return;
  const long i = d->Find(key);
  if (i < 0) return;
  const std::pair<const void*, const void*> kv = d->mEntries[(size_t) i];
  d->mEntries.erase(d->mEntries.begin() + i);
  if (d->mKeyCallBacks.release) d->mKeyCallBacks.release(d->mAllocator, kv.first);
  if (d->mValueCallBacks.release) d->mValueCallBacks.release(d->mAllocator, kv.second);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict)
{
  DictionaryObj* d = As<DictionaryObj>(theDict);
  return d ? (CFIndex) d->mEntries.size() : 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key)
{
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(theDict, key, &value);
  return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key, const void** value)
{
  DictionaryObj* d = As<DictionaryObj>(theDict);
  if (!d) return false;
  const long i = d->Find(key);
  if (i < 0) return false;
  if (value) *value = d->mEntries[(size_t) i].second;
  return true;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values)
{
  DictionaryObj* d = As<DictionaryObj>(theDict);
  if (!d) return;
  for (size_t i = 0; i < d->mEntries.size(); ++i)
  {
    if (keys) keys[i] = d->mEntries[i].first;
    if (values) values[i] = d->mEntries[i].second;
  }
}

// ----- URLs -----

CFTypeID CFURLGetTypeID(void) { return kTypeURL; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory)
{
  StringObj* s = As<StringObj>(filePath);
  if (!s || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  try
  {
    return Out<CFURLRef>(new URLObj(s->mText, isDirectory != 0));
  }
  catch (...)
  {
    return nullptr;
  }
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle)
{
  URLObj* u = As<URLObj>(anURL);
  if (!u || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  return CFStringCreateWithCString(kCFAllocatorDefault, u->mPath.c_str(), kCFStringEncodingUTF8);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen)
{
  URLObj* u = As<URLObj>(url);
  if (!u || !buffer || maxBufLen <= (CFIndex) u->mPath.size()) return false;
  memcpy(buffer, u->mPath.c_str(), u->mPath.size() + 1);
  return true;
}

// ----- bundles -----

CFTypeID CFBundleGetTypeID(void) { return kTypeBundle; }

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID)
{
  StringObj* s = As<StringObj>(bundleID);
  if (!s) return nullptr;
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  for (BundleObj* b : r.mBundles)
    if (b->mIdentifier && b->mIdentifier->mText == s->mText) return Out<CFBundleRef>(b);
  return nullptr;
}

CFBundleRef CFBundleGetMainBundle(void)
{
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  return Out<CFBundleRef>(MainBundleLocked(r));
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
  BundleObj* b = As<BundleObj>(bundle);
  if (!b) return nullptr;
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  return Out<CFStringRef>(b->mIdentifier);
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
  BundleObj* b = As<BundleObj>(bundle);
  if (!b) return nullptr;
  std::string path;
  {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> lock(r.mMutex);
    path = b->mPath;
  }
  try
  {
    return Out<CFURLRef>(new URLObj(path, true));
  }
  catch (...)
  {
    return nullptr;
  }
}

// ----- the stand-in's own calls -----

void StandInRegisterBundle(const char* identifier, const char* path)
{
  if (!identifier) return;
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  for (BundleObj* b : r.mBundles)
    if (b->mIdentifier && b->mIdentifier->mText == identifier)
    {
      b->mPath = path ? path : "";
      return;
    }
  BundleObj* b = new BundleObj;
  SetBundle(r, b, identifier, path);
  r.mBundles.push_back(b);
}

void StandInSetMainBundle(const char* identifier, const char* path)
{
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  SetBundle(r, MainBundleLocked(r), identifier, path ? path : DefaultMainBundlePath().c_str());
}

CFIndex StandInLiveCFObjectCount(void) { return gLiveObjects.load(); }

} // extern "C"
