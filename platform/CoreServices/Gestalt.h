#pragma once
// Gestalt, for the one selector asked of it: the system version.

#include "platform/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

enum
{
  gestaltSystemVersion = 0x73797376, // 'sysv'
  gestaltUndefSelectorErr = -5551
};

// gestaltSystemVersion answers 0x1090 (10.9, BCD): a system that offers Cocoa views.
OSErr Gestalt(OSType selector, SInt32* response);

#ifdef __cplusplus
}
#endif
