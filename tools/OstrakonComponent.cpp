#include "tools/OstrakonComponent.h"

#include "engine/Ostrakon.h"

const AUComponent& OstrakonComponent()
{
  static const AUComponent component = [] {
    const ComponentDescription cd = {kOstrakonComponentType, (OSType) kOstrakonUniqueID,
                                     (OSType) kOstrakonMfrID, 0, 0};
    return AUComponent::Register(cd, Ostrakon_Entry, kOstrakonEffectName);
  }();
  return component;
}
