#pragma once
// Basic scalar types and status codes of the Mac platform, with their published
// widths and values. The stand-in targets a 64-bit little-endian machine.

#include <stdint.h>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef unsigned char Boolean;
typedef unsigned char Byte;
typedef SInt32 OSStatus;
typedef SInt16 OSErr;
typedef UInt32 OSType;
typedef UInt32 FourCharCode;
typedef char* Ptr;
typedef Ptr* Handle;

enum
{
  noErr = 0,
  paramErr = -50,
  memFullErr = -108,
  coreFoundationUnknownErr = -4960
};

// A version as four bytes; on a little-endian machine the major revision is last.
typedef struct NumVersion
{
  UInt8 nonRelRev;
  UInt8 stage;
  UInt8 minorAndBugRev;
  UInt8 majorRev;
} NumVersion;

static_assert(sizeof(void*) == 8, "the published layouts used here are those of 64-bit code");
