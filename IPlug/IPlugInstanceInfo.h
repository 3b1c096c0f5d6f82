#pragma once
// What the host adapter needs to know of a plug-in instance beyond its identity.

#include "IPlug/WDL/WDL_String.h"

struct IPlugInstanceInfo
{
  WDL_String mBundleID;        // reverse-domain identifier of the plug-in bundle
  WDL_String mCocoaViewFactoryClassName;
};
