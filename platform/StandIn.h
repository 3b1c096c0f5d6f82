#pragma once
// What the stand-in needs to be told that a Mac would find out by itself: which bundles
// exist and which one is the host application. Plus a count for leak checks.

#include "platform/CoreFoundation/CoreFoundation.h"

#ifdef __cplusplus
extern "C" {
#endif

// Makes a bundle findable by identifier; registering an identifier again moves it.
void StandInRegisterBundle(const char* identifier, const char* path);
// The host application's bundle; a null identifier means it has none.
void StandInSetMainBundle(const char* identifier, const char* path);
// Core Foundation objects created and not yet destroyed (constant strings and bundles,
// which live forever, are not counted).
CFIndex StandInLiveCFObjectCount(void);

#ifdef __cplusplus
}
#endif
