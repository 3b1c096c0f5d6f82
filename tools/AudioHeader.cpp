#include "tools/AudioHeader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
const char kOnlyTheseFiles[] = "; only WAV, AIFF or FLAC files can be read";
const char kOnlyTheseSamples[] = " samples; only WAV, AIFF or FLAC with 16/24-bit PCM or 32-bit float samples can be read";
// Chunks walked before a header counts as damaged; real files have a handful.
constexpr int kMaxChunks = 4096;

class File
{
public:
  explicit File(int fd) : mFd(fd)
  {
    struct stat st;
    mSize = fstat(fd, &st) == 0 && st.st_size > 0 ? (uint64_t) st.st_size : 0;
  }
  uint64_t Size() const { return mSize; }
  // Exactly n bytes at pos, or false.
  bool Read(uint64_t pos, void* out, size_t n) const
  {
    if (pos > mSize || n > mSize - pos) return false;
    size_t done = 0;
    while (done < n)
    {
      const ssize_t got = pread(mFd, (char*) out + done, n - done, (off_t) (pos + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      done += (size_t) got;
    }
    return true;
  }

private:
  int mFd;
  uint64_t mSize = 0;
};

uint32_t LE16(const unsigned char* p) { return (uint32_t) p[0] | (uint32_t) p[1] << 8; }
uint32_t LE32(const unsigned char* p) { return LE16(p) | LE16(p + 2) << 16; }
uint32_t BE16(const unsigned char* p) { return (uint32_t) p[0] << 8 | p[1]; }
uint32_t BE32(const unsigned char* p) { return BE16(p) << 16 | BE16(p + 2); }

std::string Bits(uint32_t bits, const char* kind) { return std::to_string(bits) + "-bit " + kind; }

// The one chunk of an IFF-style file (RIFF little-endian, FORM big-endian) holding its
// sample format, walked to from the first chunk at 12. With two of them it would be up
// to the reader which one counts, so such a file is refused.
bool FindFormatChunk(const File& file, bool bigEndian, const char* id, unsigned char* out, size_t want,
                     uint32_t* size)
{
  bool found = false;
  uint64_t pos = 12;
  for (int n = 0; n < kMaxChunks && pos + 8 <= file.Size(); ++n)
  {
    unsigned char head[8];
    if (!file.Read(pos, head, 8)) return false;
    const uint32_t chunkSize = bigEndian ? BE32(head + 4) : LE32(head + 4);
    if (memcmp(head, id, 4) == 0)
    {
      if (found) return false;
      found = true;
      *size = chunkSize;
      memset(out, 0, want);
      if (!file.Read(pos + 8, out, chunkSize < want ? chunkSize : want)) return false;
    }
    pos += 8 + (uint64_t) chunkSize + (chunkSize & 1);
  }
  return found;
}

bool CheckWav(const File& file, std::string* problem)
{
  unsigned char fmt[26];
  uint32_t size = 0;
  if (!FindFormatChunk(file, false, "fmt ", fmt, sizeof fmt, &size) || size < 16)
  {
    *problem = "has a damaged WAV header";
    return false;
  }
  uint32_t tag = LE16(fmt);
  const uint32_t bits = LE16(fmt + 14);
  // WAVE_FORMAT_EXTENSIBLE names the encoding in the first two bytes of its GUID.
  if (tag == 0xFFFE && size >= 26) tag = LE16(fmt + 24);
  if ((tag == 1 && (bits == 16 || bits == 24)) || (tag == 3 && bits == 32)) return true;
  std::string what;
  switch (tag)
  {
    case 1: what = Bits(bits, "PCM"); break;
    case 3: what = Bits(bits, "float"); break;
    case 2: what = "MS ADPCM"; break;
    case 6: what = "A-law"; break;
    case 7: what = "mu-law"; break;
    case 0x11: what = "IMA ADPCM"; break;
    case 0x31: what = "GSM 6.10"; break;
    case 0x50:
    case 0x55: what = "MPEG"; break;
    default:
    {
      char code[16];
      snprintf(code, sizeof code, "0x%04X", (unsigned) tag);
      what = std::string("encoding ") + code;
    }
  }
  *problem = "is WAV with " + what + kOnlyTheseSamples;
  return false;
}

bool CheckAiff(const File& file, bool compressed, std::string* problem)
{
  unsigned char comm[22];
  uint32_t size = 0;
  if (!FindFormatChunk(file, true, "COMM", comm, sizeof comm, &size) || size < (compressed ? 22u : 18u))
  {
    *problem = "has a damaged AIFF header";
    return false;
  }
  const uint32_t bits = BE16(comm + 6);
  const char* form = compressed ? "AIFF-C" : "AIFF";
  char code[5] = "NONE";
  if (compressed) memcpy(code, comm + 18, 4);
  // Uncompressed in either byte order, or single-precision float.
  const bool pcm = !strcmp(code, "NONE") || !strcmp(code, "twos") || !strcmp(code, "sowt");
  const bool fl32 = !strcmp(code, "fl32") || !strcmp(code, "FL32");
  if ((pcm && (bits == 16 || bits == 24)) || (fl32 && bits == 32)) return true;
  std::string what;
  if (pcm)
    what = Bits(bits, "PCM");
  else if (fl32)
    what = Bits(bits, "float");
  else
  {
    for (char& c : code)
      if (c && (c < 0x20 || c > 0x7E)) c = '?';
    what = std::string("'") + code + "'";
  }
  *problem = std::string("is ") + form + " with " + what + kOnlyTheseSamples;
  return false;
}

bool CheckFlac(const File& file, std::string* problem)
{
  // The first metadata block is the stream information, 34 bytes long.
  unsigned char info[4 + 34];
  if (!file.Read(4, info, sizeof info) || (info[0] & 0x7F) != 0 || info[1] != 0 || info[2] != 0 || info[3] != 34)
  {
    *problem = "has a damaged FLAC header";
    return false;
  }
  const unsigned char* s = info + 4;
  const uint32_t bits = ((s[12] & 1u) << 4 | s[13] >> 4) + 1;
  if (bits == 16 || bits == 24) return true;
  *problem = "is FLAC with " + Bits(bits, "PCM") + kOnlyTheseSamples;
  return false;
}
} // namespace

bool AudioHeader::Check(int fd, std::string* problem)
{
  const File file(fd);
  unsigned char head[12] = {};
  const size_t n = file.Size() < sizeof head ? (size_t) file.Size() : sizeof head;
  if (n == 0 || !file.Read(0, head, n))
  {
    *problem = "is empty, not an audio file";
    return false;
  }
  auto is = [&](size_t at, const char* tag) { return n >= at + 4 && memcmp(head + at, tag, 4) == 0; };
  if (is(0, "RIFF") && is(8, "WAVE")) return CheckWav(file, problem);
  if (is(0, "FORM") && is(8, "AIFF")) return CheckAiff(file, false, problem);
  if (is(0, "FORM") && is(8, "AIFC")) return CheckAiff(file, true, problem);
  if (is(0, "fLaC")) return CheckFlac(file, problem);

  const char* other = nullptr;
  if (is(0, "OggS"))
    other = "an Ogg file";
  else if ((n >= 3 && memcmp(head, "ID3", 3) == 0) || (n >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0))
    other = "an MPEG audio file";
  else if (is(0, "caff"))
    other = "a CAF file";
  else if (is(0, "RF64") || is(0, "BW64"))
    other = "an RF64 file";
  else if (is(0, ".snd"))
    other = "a Sun/NeXT audio file";
  else if (is(0, "riff"))
    other = "a Wave64 file";
  *problem = other ? std::string("is ") + other + kOnlyTheseFiles : "is not a WAV, AIFF or FLAC file";
  return false;
}
