#include "host/AUComponent.h"

#include <cstdio>
#include <mutex>
#include <vector>

namespace
{
struct Registration
{
  ComponentDescription description;
  ComponentRoutineUPP entry;
  Component component;
};

bool SameDescription(const ComponentDescription& a, const ComponentDescription& b)
{
  return a.componentType == b.componentType && a.componentSubType == b.componentSubType &&
         a.componentManufacturer == b.componentManufacturer && a.componentFlags == b.componentFlags &&
         a.componentFlagsMask == b.componentFlagsMask;
}
} // namespace

AUComponent AUComponent::Register(const ComponentDescription& description, ComponentRoutineUPP entry,
                                  const char* name)
{
  AUComponent c;
  if (!entry) return c;
  // Registrations outlive every host object, as the components they stand for do.
  static std::mutex* mutex = new std::mutex;
  static std::vector<Registration>* registered = new std::vector<Registration>;
  try
  {
    std::lock_guard<std::mutex> lock(*mutex);
    Component component = nullptr;
    for (const Registration& r : *registered)
      if (r.entry == entry && SameDescription(r.description, description)) component = r.component;
    if (!component)
    {
      ComponentDescription cd = description;
      component = RegisterComponent(&cd, entry, 0, nullptr, nullptr, nullptr);
      if (!component) return c;
      registered->push_back(Registration{description, entry, component});
    }
    c.mComponent = component;
    c.mDescription = description;
    c.mName = name ? name : "";
  }
  catch (...)
  {
    c = AUComponent();
  }
  return c;
}

std::string FourCCString(OSType code)
{
  char text[16];
  bool printable = true;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const unsigned char ch = (unsigned char) (code >> shift);
    if (ch < 0x20 || ch > 0x7e) printable = false;
  }
  if (printable)
    snprintf(text, sizeof text, "%c%c%c%c", (char) (code >> 24), (char) (code >> 16), (char) (code >> 8),
             (char) code);
  else
    snprintf(text, sizeof text, "0x%08x", (unsigned) code);
  return text;
}
