#pragma once
// Property lists between libplist trees and Core Foundation objects. Dictionaries with
// string keys, arrays, strings, integers, reals and data convert both ways; booleans,
// dates and UIDs have no Core Foundation counterpart here and are left out (a
// dictionary or array keeps its other entries). Integers travel as 64-bit signed values.

#include "host/CFRef.h"

#include <plist/plist.h>

// A new object, or an empty reference when node itself cannot be converted (a string
// holding a NUL cannot). A tree libplist read from bytes must come from bytes that
// PlistShape accepted: libplist asserts on a NUL in a dictionary key.
CFRef CFFromPlist(plist_t node);
// A new tree for the caller to plist_free, or null. Dictionary keys are written in
// byte order, as Core Foundation writes them.
plist_t PlistFromCF(CFTypeRef object);
