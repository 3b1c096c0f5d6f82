#pragma once
// Program (.fxp) and bank (.fxb) files in the published VST layouts: big-endian 32-bit
// integers and single-precision floats, names in 28-byte NUL-padded fields. The readers
// check every field against the image's length before they use it.

#include "IPlug/ByteChunk.h"

#include <cstdint>

constexpr int kFXNameBytes = 28;          // a name field, its terminator included
constexpr int kFXProgramHeaderBytes = 56; // up to the values or the chunk's size field
constexpr int kFXBankHeaderBytes = 156;   // up to the first program or the chunk's size field
constexpr int kFXProgramVersion = 1;
constexpr int kFXBankVersion = 2;
// Larger files are refused unread: a plug-in's state is a few hundred bytes.
constexpr int kFXMaxFileBytes = 16 << 20;

// Four characters in file order as one integer: FXMagic("CcnK").
constexpr uint32_t FXMagic(const char (&m)[5])
{
  return (uint32_t) (unsigned char) m[0] << 24 | (uint32_t) (unsigned char) m[1] << 16 |
         (uint32_t) (unsigned char) m[2] << 8 | (uint32_t) (unsigned char) m[3];
}

// Big-endian fields, with ByteChunk's conventions: a read returns the position after the
// field or -1 and leaves the destination alone on failure; a write returns the new size
// or 0.
int PutBE32(ByteChunk* chunk, uint32_t v);
int GetBE32(const ByteChunk* chunk, int pos, uint32_t* v);
int PutBEFloat(ByteChunk* chunk, float v);
int GetBEFloat(const ByteChunk* chunk, int pos, float* v);

// A name field: at most 27 bytes of name, cut back to a whole UTF-8 character, then
// zeros to 28 bytes.
int PutFXName(ByteChunk* chunk, const char* name);

// What a program image says of itself.
struct FXProgram
{
  bool opaque = false; // "FPCh": the plug-in's own state follows instead of values
  int uniqueID = 0;
  int version = 0;
  int nParams = 0;
  char name[kFXNameBytes] = {}; // always terminated, whatever the file holds
  int dataPos = 0;              // the first value, or the first byte of the state
  int dataSize = 0;             // 4 bytes per value, or the state's size
};

// Reads the program image at pos: chunk magic "CcnK", format "FxCk" or "FPCh", version
// 1, and values or state that lie wholly within the chunk (a negative size is refused).
// Returns the position after the image, or -1.
int ReadFXProgram(const ByteChunk* chunk, int pos, FXProgram* out);

// Appends a program image: "FxCk" with n values, or "FPCh" with the state.
bool PutFXProgram(ByteChunk* chunk, int uniqueID, int version, const char* name, const float* values, int n);
bool PutFXProgramState(ByteChunk* chunk, int uniqueID, int version, int nParams, const char* name,
                       const ByteChunk* state);

// What a bank header says of itself.
struct FXBank
{
  bool opaque = false; // "FBCh": the plug-in's own image of its presets follows
  int uniqueID = 0;
  int version = 0;
  int nPrograms = 0;      // never negative
  int currentProgram = 0;
  int dataPos = 0;  // the first program, or the first byte of the presets' image
  int dataSize = 0; // "FBCh": the image's size, within the chunk; "FxBk": 0
};

// Reads a bank header at offset 0: chunk magic "CcnK", format "FxBk" or "FBCh",
// version 2; a negative program count, or an image that runs past the end, is refused.
// The programs themselves are read one by one with ReadFXProgram. Returns dataPos, or -1.
int ReadFXBank(const ByteChunk* chunk, FXBank* out);

// Appends a bank header: "FxBk" (its programs follow, appended by the caller) or, with
// state, "FBCh" and the state.
bool PutFXBank(ByteChunk* chunk, int uniqueID, int version, int nPrograms, int currentProgram);
bool PutFXBankState(ByteChunk* chunk, int uniqueID, int version, int nPrograms, int currentProgram,
                    const ByteChunk* state);
