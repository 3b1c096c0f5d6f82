#pragma once
// An .aupreset file: the property list in which Mac hosts keep a unit's class-info
// dictionary, with the keys "version", "type", "subtype", "manufacturer", "name" and
// "data". Read in the XML and the binary form, written as XML.

#include "host/CFRef.h"
#include "platform/CoreServices/Components.h"

#include <string>

class AUPresetFile
{
public:
  // Larger files are refused unread: a unit's state is a few hundred bytes.
  static constexpr size_t kMaxFileSize = 16u << 20;

  AUPresetFile() = default;

  // False with one line naming the file when it cannot be read, is not a property
  // list, or is not a preset (see Parse); the preset held before is kept then.
  bool Read(const std::string& path, std::string* error);
  // A property list in either form whose root is a dictionary holding the six keys:
  // the four numbers as 32-bit integers, "name" as a string and "data" as bytes. On
  // failure problem says what is wrong, as in "lacks the key "data"".
  bool Parse(const void* bytes, size_t size, std::string* problem);
  // The XML form; false when the state is no property list.
  bool ToXML(std::string* xml) const;
  // Through a temporary file beside the destination: a failed write leaves nothing.
  bool Write(const std::string& path, std::string* error) const;

  // A state dictionary, such as a unit's saved state; the file holds its own reference.
  void SetState(CFTypeRef state) { mState = CFRef::Retained(state); }
  CFDictionaryRef State() const { return mState.As<CFDictionaryRef>(); }
  bool IsEmpty() const { return !mState; }

  std::string Name() const;
  // The component the preset was saved from: type, subtype and manufacturer.
  ComponentDescription Owner() const;
  bool BelongsTo(const ComponentDescription& component) const;

private:
  CFRef mState;
};

// "aufx Vxq7 Qrro": a description's type, subtype and manufacturer codes.
std::string ComponentCodes(const ComponentDescription& description);
