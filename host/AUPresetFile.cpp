#include "host/AUPresetFile.h"

#include "host/AUComponent.h"
#include "host/CFPlist.h"
#include "host/CFText.h"
#include "host/PendingFile.h"
#include "host/PlistShape.h"
#include "platform/AudioUnit/AudioUnitProperties.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The value under a plain-text key, borrowed, or null.
CFTypeRef Value(CFDictionaryRef dict, const char* key)
{
  if (!dict) return nullptr;
  CFRef k = CFTextFromUTF8(key);
  const void* v = nullptr;
  if (!k || !CFDictionaryGetValueIfPresent(dict, k.Get(), &v)) return nullptr;
  return v;
}

bool Int32(CFDictionaryRef dict, const char* key, SInt32* out)
{
  CFTypeRef v = Value(dict, key);
  return v && CFGetTypeID(v) == CFNumberGetTypeID() && !CFNumberIsFloatType((CFNumberRef) v) &&
         CFNumberGetValue((CFNumberRef) v, kCFNumberSInt32Type, out);
}

struct PlistDeleter
{
  void operator()(void* p) const { plist_free(p); }
};
} // namespace

bool AUPresetFile::Read(const std::string& path, std::string* error)
{
  try
  {
    struct Fd
    {
      int fd;
      ~Fd()
      {
        if (fd >= 0) close(fd);
      }
    } file{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
    {
      *error = "cannot open preset " + Quoted(path) + ": " + strerror(errno);
      return false;
    }
    struct stat st;
    if (fstat(file.fd, &st) == 0 && S_ISDIR(st.st_mode))
    {
      *error = Quoted(path) + " is a directory, not a preset";
      return false;
    }
    std::vector<char> bytes;
    char chunk[65536];
    for (;;)
    {
      const ssize_t n = read(file.fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0)
      {
        *error = "cannot read preset " + Quoted(path) + ": " + strerror(errno);
        return false;
      }
      if (n == 0) break;
      if (bytes.size() + (size_t) n > kMaxFileSize)
      {
        *error = Quoted(path) + " is not a preset: it is larger than " + std::to_string(kMaxFileSize >> 20) +
                 " MiB";
        return false;
      }
      bytes.insert(bytes.end(), chunk, chunk + n);
    }

    std::string problem;
    if (!Parse(bytes.data(), bytes.size(), &problem))
    {
      *error = Quoted(path) + " " + problem;
      return false;
    }
    return true;
  }
  catch (...)
  {
    *error = "cannot read preset " + Quoted(path) + ": out of memory";
    return false;
  }
}

bool AUPresetFile::Parse(const void* bytes, size_t size, std::string* problem)
{
  if (size > kMaxFileSize)
  {
    *problem = "is not a preset: it is too large";
    return false;
  }
  // libplist is trusted only with bytes whose nesting, size and text were checked.
  PlistShape::Form form = PlistShape::Form::kXML;
  std::string why;
  if (!PlistShape::Check(bytes, size, &form, &why))
  {
    *problem = why.empty() ? "is not a property list" : "is not a property list: " + why;
    return false;
  }
  // The XML reader runs C string functions over the text: it gets a terminated copy.
  const std::string copy((const char*) bytes, size);
  plist_t raw = nullptr;
  if (form == PlistShape::Form::kBinary)
    plist_from_bin(copy.data(), (uint32_t) size, &raw);
  else
    plist_from_xml(copy.c_str(), (uint32_t) size, &raw);
  std::unique_ptr<void, PlistDeleter> root(raw);
  if (!root)
  {
    *problem = "is not a property list";
    return false;
  }
  if (plist_get_node_type(root.get()) != PLIST_DICT)
  {
    *problem = "is not a preset: its property list is not a dictionary";
    return false;
  }
  CFRef state = CFFromPlist(root.get());
  if (!state.Is(CFDictionaryGetTypeID()))
  {
    *problem = "is not a preset: its dictionary cannot be read";
    return false;
  }

  CFDictionaryRef dict = state.As<CFDictionaryRef>();
  struct Key
  {
    const char* name;
    CFTypeID type;
    const char* what;
  };
  const Key keys[] = {
      {kAUPresetVersionKey, CFNumberGetTypeID(), "a 32-bit integer"},
      {kAUPresetTypeKey, CFNumberGetTypeID(), "a 32-bit integer"},
      {kAUPresetSubtypeKey, CFNumberGetTypeID(), "a 32-bit integer"},
      {kAUPresetManufacturerKey, CFNumberGetTypeID(), "a 32-bit integer"},
      {kAUPresetNameKey, CFStringGetTypeID(), "a string"},
      {kAUPresetDataKey, CFDataGetTypeID(), "data"},
  };
  for (const Key& k : keys)
  {
    CFTypeRef v = Value(dict, k.name);
    SInt32 n = 0;
    const bool ok =
        v && CFGetTypeID(v) == k.type && (k.type != CFNumberGetTypeID() || Int32(dict, k.name, &n));
    if (!ok)
    {
      *problem = v ? std::string("is not a preset: its \"") + k.name + "\" is not " + k.what
                   : std::string("is not a preset: it lacks the key \"") + k.name + "\"";
      return false;
    }
  }
  mState = std::move(state);
  return true;
}

bool AUPresetFile::ToXML(std::string* xml) const
{
  std::unique_ptr<void, PlistDeleter> root(PlistFromCF(mState.Get()));
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return false;
  char* text = nullptr;
  uint32_t length = 0;
  plist_to_xml(root.get(), &text, &length);
  if (!text) return false;
  bool ok = true;
  try
  {
    xml->assign(text, length);
  }
  catch (...)
  {
    ok = false;
  }
  free(text);
  return ok;
}

bool AUPresetFile::Write(const std::string& path, std::string* error) const
{
  try
  {
    std::string xml;
    if (!ToXML(&xml))
    {
      *error = "cannot write preset " + Quoted(path) + ": the state is not a property list";
      return false;
    }
    PendingFile file;
    return file.Open(path, error) && file.Write(xml.data(), xml.size(), error) && file.Commit(error);
  }
  catch (...)
  {
    *error = "cannot write preset " + Quoted(path) + ": out of memory";
    return false;
  }
}

std::string AUPresetFile::Name() const
{
  std::string name;
  CFTextToUTF8(Value(State(), kAUPresetNameKey), &name);
  return name;
}

ComponentDescription AUPresetFile::Owner() const
{
  ComponentDescription cd = {0, 0, 0, 0, 0};
  SInt32 v = 0;
  if (Int32(State(), kAUPresetTypeKey, &v)) cd.componentType = (OSType) v;
  if (Int32(State(), kAUPresetSubtypeKey, &v)) cd.componentSubType = (OSType) v;
  if (Int32(State(), kAUPresetManufacturerKey, &v)) cd.componentManufacturer = (OSType) v;
  return cd;
}

bool AUPresetFile::BelongsTo(const ComponentDescription& component) const
{
  const ComponentDescription owner = Owner();
  return !IsEmpty() && owner.componentType == component.componentType &&
         owner.componentSubType == component.componentSubType &&
         owner.componentManufacturer == component.componentManufacturer;
}

std::string ComponentCodes(const ComponentDescription& description)
{
  return FourCCString(description.componentType) + " " + FourCCString(description.componentSubType) + " " +
         FourCCString(description.componentManufacturer);
}
