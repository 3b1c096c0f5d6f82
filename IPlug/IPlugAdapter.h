#pragma once
// The host adapter a plug-in class derives from, chosen by the build target it is
// compiled for: the adapter's library defines IPLUG_AU or IPLUG_LV2. One source, one
// build per host format.

#if defined(IPLUG_AU) && !defined(IPLUG_LV2)
#include "IPlug/IPlugAU.h"
using IPlugAdapter = IPlugAU;
#elif defined(IPLUG_LV2) && !defined(IPLUG_AU)
#include "IPlug/IPlugLV2.h"
using IPlugAdapter = IPlugLV2;
#else
#error "a plug-in is built on exactly one adapter: define IPLUG_AU or IPLUG_LV2"
#endif
