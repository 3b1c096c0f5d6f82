#include "IPlug/FXImage.h"

#include <cstring>

namespace
{
constexpr uint32_t kChunkMagic = FXMagic("CcnK");
constexpr uint32_t kProgramMagic = FXMagic("FxCk");
constexpr uint32_t kProgramStateMagic = FXMagic("FPCh");
constexpr uint32_t kBankMagic = FXMagic("FxBk");
constexpr uint32_t kBankStateMagic = FXMagic("FBCh");
constexpr int kReservedBytes = 124;

bool PutProgramHeader(ByteChunk* chunk, uint32_t format, int uniqueID, int version, int nParams,
                      const char* name)
{
  return PutBE32(chunk, kChunkMagic) && PutBE32(chunk, 0) && PutBE32(chunk, format) &&
         PutBE32(chunk, kFXProgramVersion) && PutBE32(chunk, (uint32_t) uniqueID) &&
         PutBE32(chunk, (uint32_t) version) && PutBE32(chunk, (uint32_t) nParams) && PutFXName(chunk, name);
}

bool PutBankHeader(ByteChunk* chunk, uint32_t format, uint32_t byteSize, int uniqueID, int version,
                   int nPrograms, int currentProgram)
{
  static const unsigned char kZeros[kReservedBytes] = {};
  return PutBE32(chunk, kChunkMagic) && PutBE32(chunk, byteSize) && PutBE32(chunk, format) &&
         PutBE32(chunk, kFXBankVersion) && PutBE32(chunk, (uint32_t) uniqueID) &&
         PutBE32(chunk, (uint32_t) version) && PutBE32(chunk, (uint32_t) nPrograms) &&
         PutBE32(chunk, (uint32_t) currentProgram) && chunk->PutBytes(kZeros, kReservedBytes);
}
} // namespace

int PutBE32(ByteChunk* chunk, uint32_t v)
{
  const unsigned char b[4] = {(unsigned char) (v >> 24), (unsigned char) (v >> 16), (unsigned char) (v >> 8),
                              (unsigned char) v};
  return chunk->PutBytes(b, 4);
}

int GetBE32(const ByteChunk* chunk, int pos, uint32_t* v)
{
  unsigned char b[4];
  pos = chunk->GetBytes(b, 4, pos);
  if (pos >= 0) *v = (uint32_t) b[0] << 24 | (uint32_t) b[1] << 16 | (uint32_t) b[2] << 8 | (uint32_t) b[3];
  return pos;
}

int PutBEFloat(ByteChunk* chunk, float v)
{
  uint32_t bits;
  memcpy(&bits, &v, 4);
  return PutBE32(chunk, bits);
}

int GetBEFloat(const ByteChunk* chunk, int pos, float* v)
{
  uint32_t bits = 0;
  pos = GetBE32(chunk, pos, &bits);
  if (pos >= 0) memcpy(v, &bits, 4);
  return pos;
}

int PutFXName(ByteChunk* chunk, const char* name)
{
  char field[kFXNameBytes] = {};
  const size_t len = name ? strnlen(name, kFXNameBytes) : 0;
  size_t n = len < kFXNameBytes ? len : kFXNameBytes - 1;
  // A cut name must not end inside a character: back up over continuation bytes to the
  // lead byte of the one that did not fit.
  if (n < len)
    while (n > 0 && ((unsigned char) name[n] & 0xC0) == 0x80) --n;
  if (n > 0) memcpy(field, name, n);
  return chunk->PutBytes(field, kFXNameBytes);
}

int ReadFXProgram(const ByteChunk* chunk, int pos, FXProgram* out)
{
  if (!chunk || !out) return -1;
  uint32_t magic = 0, byteSize = 0, format = 0, version = 0, id = 0, pluginVersion = 0, n = 0;
  pos = GetBE32(chunk, pos, &magic);
  pos = GetBE32(chunk, pos, &byteSize);
  pos = GetBE32(chunk, pos, &format);
  pos = GetBE32(chunk, pos, &version);
  pos = GetBE32(chunk, pos, &id);
  pos = GetBE32(chunk, pos, &pluginVersion);
  pos = GetBE32(chunk, pos, &n);
  char name[kFXNameBytes];
  pos = chunk->GetBytes(name, kFXNameBytes, pos);
  if (pos < 0 || magic != kChunkMagic || version != (uint32_t) kFXProgramVersion) return -1;
  if (format != kProgramMagic && format != kProgramStateMagic) return -1;

  FXProgram p;
  p.opaque = format == kProgramStateMagic;
  p.uniqueID = (int) id;
  p.version = (int) pluginVersion;
  p.nParams = (int) n;
  memcpy(p.name, name, kFXNameBytes - 1);
  p.name[kFXNameBytes - 1] = 0;
  if (p.opaque)
  {
    uint32_t size = 0;
    pos = GetBE32(chunk, pos, &size);
    p.dataSize = (int) size;
  }
  else
  {
    // Each value is 4 bytes; a count beyond what the chunk could hold runs past its end.
    if (p.nParams < 0 || p.nParams > chunk->Size() / 4) return -1;
    p.dataSize = 4 * p.nParams;
  }
  // Stated so that no sum can overflow.
  if (pos < 0 || p.dataSize < 0 || p.dataSize > chunk->Size() - pos) return -1;
  p.dataPos = pos;
  *out = p;
  return pos + p.dataSize;
}

bool PutFXProgram(ByteChunk* chunk, int uniqueID, int version, const char* name, const float* values, int n)
{
  if (!chunk || n < 0 || (n > 0 && !values)) return false;
  if (!PutProgramHeader(chunk, kProgramMagic, uniqueID, version, n, name)) return false;
  for (int i = 0; i < n; ++i)
    if (!PutBEFloat(chunk, values[i])) return false;
  return true;
}

bool PutFXProgramState(ByteChunk* chunk, int uniqueID, int version, int nParams, const char* name,
                       const ByteChunk* state)
{
  if (!chunk || !state) return false;
  return PutProgramHeader(chunk, kProgramStateMagic, uniqueID, version, nParams, name) &&
         PutBE32(chunk, (uint32_t) state->Size()) && chunk->PutChunk(state) > 0;
}

int ReadFXBank(const ByteChunk* chunk, FXBank* out)
{
  if (!chunk || !out) return -1;
  uint32_t magic = 0, byteSize = 0, format = 0, version = 0, id = 0, pluginVersion = 0, n = 0, current = 0;
  int pos = GetBE32(chunk, 0, &magic);
  pos = GetBE32(chunk, pos, &byteSize);
  pos = GetBE32(chunk, pos, &format);
  pos = GetBE32(chunk, pos, &version);
  pos = GetBE32(chunk, pos, &id);
  pos = GetBE32(chunk, pos, &pluginVersion);
  pos = GetBE32(chunk, pos, &n);
  pos = GetBE32(chunk, pos, &current);
  // The reserved bytes must be there; what they hold is not looked at.
  if (pos < 0 || chunk->Size() < kFXBankHeaderBytes) return -1;
  pos = kFXBankHeaderBytes;
  if (magic != kChunkMagic || version != (uint32_t) kFXBankVersion) return -1;
  if (format != kBankMagic && format != kBankStateMagic) return -1;

  FXBank b;
  b.opaque = format == kBankStateMagic;
  b.uniqueID = (int) id;
  b.version = (int) pluginVersion;
  b.nPrograms = (int) n;
  b.currentProgram = (int) current;
  if (b.nPrograms < 0) return -1;
  if (b.opaque)
  {
    uint32_t size = 0;
    pos = GetBE32(chunk, pos, &size);
    b.dataSize = (int) size;
    if (pos < 0 || b.dataSize < 0 || b.dataSize > chunk->Size() - pos) return -1;
  }
  b.dataPos = pos;
  *out = b;
  return pos;
}

bool PutFXBank(ByteChunk* chunk, int uniqueID, int version, int nPrograms, int currentProgram)
{
  return chunk && PutBankHeader(chunk, kBankMagic, 0, uniqueID, version, nPrograms, currentProgram);
}

bool PutFXBankState(ByteChunk* chunk, int uniqueID, int version, int nPrograms, int currentProgram,
                    const ByteChunk* state)
{
  if (!chunk || !state || state->Size() > 0x7fffffff - 160) return false;
  // The byte size is the state's size plus 160, as the layout has it.
  return PutBankHeader(chunk, kBankStateMagic, (uint32_t) (state->Size() + 160), uniqueID, version, nPrograms,
                       currentProgram) &&
         PutBE32(chunk, (uint32_t) state->Size()) && chunk->PutChunk(state) > 0;
}
