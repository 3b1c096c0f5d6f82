#include "platform/CoreServices/Components.h"
#include "platform/CoreServices/Gestalt.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

// Components and instances both begin with a header, so that calls which accept either
// (GetComponentInfo) can tell them apart.

namespace
{
enum : UInt32
{
  kComponentMagic = 0x436f6d70,   // 'Comp'
  kInstanceMagic = 0x496e7374,    // 'Inst'
  kRetiredMagic = 0x44656164      // 'Dead'
};

struct ComponentHeader
{
  UInt32 mMagic;
};
} // namespace

struct ComponentRecord
{
  ComponentHeader mHeader;
  ComponentDescription mDesc;
  ComponentRoutineUPP mEntry;
  std::atomic<int> mInstances;
};

struct ComponentInstanceRecord
{
  ComponentHeader mHeader;
  ComponentRecord* mComponent;
  Handle mStorage;
};

namespace
{
struct ComponentRegistry
{
  std::mutex mMutex;
  std::vector<ComponentRecord*> mComponents;
};

// Never destroyed: what it holds stays reachable until exit.
ComponentRegistry& GetRegistry()
{
  static ComponentRegistry* registry = new ComponentRegistry;
  return *registry;
}

bool IsInstance(const void* p)
{
  return p && reinterpret_cast<const ComponentHeader*>(p)->mMagic == kInstanceMagic;
}

bool IsComponent(const void* p)
{
  return p && reinterpret_cast<const ComponentHeader*>(p)->mMagic == kComponentMagic;
}

bool Matches(const ComponentDescription& have, const ComponentDescription* want)
{
  if (!want) return true;
  if (want->componentType && want->componentType != have.componentType) return false;
  if (want->componentSubType && want->componentSubType != have.componentSubType) return false;
  if (want->componentManufacturer && want->componentManufacturer != have.componentManufacturer)
    return false;
  const UInt32 mask = want->componentFlagsMask;
  return (have.componentFlags & mask) == (want->componentFlags & mask);
}

// A call record with room for the instance and one argument.
struct SmallCall
{
  alignas(ComponentParameters) unsigned char mBytes[sizeof(ComponentParameters) + sizeof(long)];

  SmallCall(ComponentInstance ci, SInt16 what, int nArgs)
  {
    memset(mBytes, 0, sizeof mBytes);
    Params()->what = what;
    Params()->paramSize = (UInt8) (nArgs * sizeof(long));
    Put(0, ci);
  }
  ComponentParameters* Params() { return reinterpret_cast<ComponentParameters*>(mBytes); }
  template <class T>
  void Put(int slot, T value)
  {
    static_assert(sizeof(T) <= sizeof(long), "one argument per slot");
    memcpy(mBytes + offsetof(ComponentParameters, params) + slot * sizeof(long), &value, sizeof value);
  }
};

ComponentResult CallEntry(ComponentInstanceRecord* ci, SmallCall& call)
{
  return ci->mComponent->mEntry(call.Params(), ci->mStorage);
}
} // namespace

extern "C" {

Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint, SInt16,
                            Handle, Handle, Handle)
{
  if (!cd || !componentEntryPoint) return nullptr;
  ComponentRecord* c = new (std::nothrow) ComponentRecord;
  if (!c) return nullptr;
  c->mHeader.mMagic = kComponentMagic;
  c->mDesc = *cd;
  c->mEntry = componentEntryPoint;
  c->mInstances = 0;
  ComponentRegistry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  try
  {
    r.mComponents.push_back(c);
  }
  catch (...)
  {
    delete c;
    return nullptr;
  }
  return c;
}

OSErr UnregisterComponent(Component aComponent)
{
  if (!IsComponent(aComponent)) return invalidComponentID;
  ComponentRegistry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  if (aComponent->mInstances > 0) return validInstancesExist;
  for (size_t i = 0; i < r.mComponents.size(); ++i)
    if (r.mComponents[i] == aComponent)
    {
      r.mComponents.erase(r.mComponents.begin() + (long) i);
      aComponent->mHeader.mMagic = kRetiredMagic;
      delete aComponent;
      return noErr;
    }
  return invalidComponentID;
}

Component FindNextComponent(Component aComponent, ComponentDescription* looking)
{
  ComponentRegistry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mMutex);
  size_t i = 0;
  if (aComponent)
  {
    while (i < r.mComponents.size() && r.mComponents[i] != aComponent) ++i;
    if (i == r.mComponents.size()) return nullptr;
    ++i;
  }
  for (; i < r.mComponents.size(); ++i)
    if (Matches(r.mComponents[i]->mDesc, looking)) return r.mComponents[i];
  return nullptr;
}

OSErr OpenAComponent(Component aComponent, ComponentInstance* ci)
{
  if (!ci) return paramErr;
  *ci = nullptr;
  if (!IsComponent(aComponent)) return invalidComponentID;
  ComponentInstanceRecord* inst = new (std::nothrow) ComponentInstanceRecord;
  if (!inst) return memFullErr;
  inst->mHeader.mMagic = kInstanceMagic;
  inst->mComponent = aComponent;
  inst->mStorage = nullptr;
  ++aComponent->mInstances;

  SmallCall open(inst, kComponentOpenSelect, 0);
  const ComponentResult result = CallEntry(inst, open);
  if (result != noErr)
  {
    SmallCall close(inst, kComponentCloseSelect, 0);
    CallEntry(inst, close);
    --aComponent->mInstances;
    inst->mHeader.mMagic = kRetiredMagic;
    delete inst;
    return (OSErr) result;
  }
  *ci = inst;
  return noErr;
}

OSErr CloseComponent(ComponentInstance aComponentInstance)
{
  if (!IsInstance(aComponentInstance)) return invalidComponentID;
  SmallCall close(aComponentInstance, kComponentCloseSelect, 0);
  const ComponentResult result = CallEntry(aComponentInstance, close);
  --aComponentInstance->mComponent->mInstances;
  aComponentInstance->mHeader.mMagic = kRetiredMagic;
  delete aComponentInstance;
  return (OSErr) result;
}

OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle, Handle, Handle)
{
  const void* p = aComponent;
  const ComponentRecord* c = nullptr;
  if (IsComponent(p))
    c = aComponent;
  else if (IsInstance(p))
    c = reinterpret_cast<const ComponentInstanceRecord*>(p)->mComponent;
  if (!c) return invalidComponentID;
  if (cd) *cd = c->mDesc;
  return noErr;
}

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage)
{
  if (IsInstance(aComponentInstance)) aComponentInstance->mStorage = theStorage;
}

Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance)
{
  return IsInstance(aComponentInstance) ? aComponentInstance->mStorage : nullptr;
}

ComponentResult CallComponentDispatch(ComponentParameters* cp)
{
  if (!cp) return paramErr;
  ComponentInstance ci = nullptr;
  memcpy(&ci, reinterpret_cast<unsigned char*>(cp) + offsetof(ComponentParameters, params), sizeof ci);
  if (!IsInstance(ci)) return badComponentInstance;
  return ci->mComponent->mEntry(cp, ci->mStorage);
}

long ComponentFunctionImplemented(ComponentInstance ci, SInt16 ftnNumber)
{
  if (!IsInstance(ci)) return 0;
  SmallCall call(ci, kComponentCanDoSelect, 1);
  call.Put(1, ftnNumber);
  return CallEntry(ci, call);
}

long GetComponentVersion(ComponentInstance ci)
{
  if (!IsInstance(ci)) return badComponentInstance;
  SmallCall call(ci, kComponentVersionSelect, 0);
  return CallEntry(ci, call);
}

// ----- Gestalt -----

OSErr Gestalt(OSType selector, SInt32* response)
{
  if (!response) return paramErr;
  if (selector != gestaltSystemVersion) return gestaltUndefSelectorErr;
  *response = 0x1090;
  return noErr;
}

} // extern "C"
