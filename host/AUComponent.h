#pragma once
// A component a host can open: its description, its name and the entry that answers
// its calls. On a Mac the system registers what it finds installed; here the host
// registers the entry it links, once, and the registration lasts for the process.

#include "platform/CoreServices/Components.h"

#include <string>

class AUComponent
{
public:
  AUComponent() = default;

  // The component with this description and entry, registered on first use. Invalid
  // when the entry is null or the registration failed.
  static AUComponent Register(const ComponentDescription& description, ComponentRoutineUPP entry,
                              const char* name);

  bool IsValid() const { return mComponent != nullptr; }
  Component Handle() const { return mComponent; }
  const ComponentDescription& Description() const { return mDescription; }
  const std::string& Name() const { return mName; }

private:
  Component mComponent = nullptr;
  ComponentDescription mDescription = {0, 0, 0, 0, 0};
  std::string mName;
};

// A four-character code as its characters when they are printable, else in hex.
std::string FourCCString(OSType code);
