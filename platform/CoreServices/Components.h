#pragma once
// The Component Manager subset: registering a component's entry under its description,
// opening and closing instances, dispatching calls to an instance's entry, and the
// instance's storage.
//
// A call reaches the entry as a ComponentParameters record. In 64-bit code params[0]
// holds the component instance and params[1], params[2], ... the call's arguments in
// the order of the call, each in one long-sized slot (smaller values in its low bytes,
// which on this little-endian machine are its first bytes). paramSize counts the bytes
// of the arguments, without the instance.

#include "platform/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt32 ComponentResult;

typedef struct ComponentDescription
{
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
} ComponentDescription;

typedef struct ComponentParameters
{
  UInt8 flags;
  UInt8 paramSize;
  SInt16 what;
  UInt32 padding;
  long params[1];
} ComponentParameters;

typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;

// The entry receives the call and the instance's storage.
typedef ComponentResult (*ComponentRoutineProcPtr)(ComponentParameters* cp, void* componentStorage);
typedef ComponentRoutineProcPtr ComponentRoutineUPP;

enum
{
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
  kComponentRegisterSelect = -5,
  kComponentTargetSelect = -6,
  kComponentUnregisterSelect = -7
};

enum
{
  invalidComponentID = -3000,
  validInstancesExist = -3001
};

#define badComponentInstance ((ComponentResult) 0x80008001)
#define badComponentSelector ((ComponentResult) 0x80008002)

// Name, info and icon handles are accepted and not used.
Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint,
                            SInt16 global, Handle componentName, Handle componentInfo,
                            Handle componentIcon);
// Refused with validInstancesExist while instances are open.
OSErr UnregisterComponent(Component aComponent);
// The next registered component after aComponent (null: from the start) that matches;
// zero type, subtype and manufacturer fields match anything, and the flags are compared
// under the mask.
Component FindNextComponent(Component aComponent, ComponentDescription* looking);
// Calls the entry with kComponentOpenSelect; if that fails, with kComponentCloseSelect,
// and the instance is gone again.
OSErr OpenAComponent(Component aComponent, ComponentInstance* ci);
// Calls the entry with kComponentCloseSelect and frees the instance.
OSErr CloseComponent(ComponentInstance aComponentInstance);
// Accepts a component or an instance (then its component's description is given).
OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon);
void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage);
Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance);
// Dispatches to the entry of the instance in params[0]; allocates nothing and takes no lock.
ComponentResult CallComponentDispatch(ComponentParameters* cp);
// The entry's kComponentCanDoSelect and kComponentVersionSelect answers.
long ComponentFunctionImplemented(ComponentInstance ci, SInt16 ftnNumber);
long GetComponentVersion(ComponentInstance ci);

#ifdef __cplusplus
}
#endif
