#include "host/PlistShape.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace
{
using PlistShape::kMaxDepth;
using PlistShape::kMaxPayloadBytes;
using PlistShape::kMaxValues;

const char kNul[] = "it holds a NUL character";

// What the tree built from the bytes would hold so far.
class Budget
{
public:
  explicit Budget(std::string* problem) : mProblem(problem) {}

  bool Values(uint64_t n)
  {
    if (n > kMaxValues - mValues)
      return Fail("it holds more than " + std::to_string(kMaxValues) + " values");
    mValues += (size_t) n;
    return true;
  }
  bool Payload(uint64_t n)
  {
    if (n > kMaxPayloadBytes - mPayload)
      return Fail("its strings and data come to more than " + std::to_string(kMaxPayloadBytes >> 20) + " MiB");
    mPayload += (size_t) n;
    return true;
  }
  bool Depth(int depth)
  {
    return depth <= kMaxDepth || Fail("it nests deeper than " + std::to_string(kMaxDepth) + " levels");
  }
  bool Fail(const std::string& problem)
  {
    *mProblem = problem;
    return false;
  }
  bool Empty() const { return mValues == 0; }

private:
  std::string* mProblem;
  size_t mValues = 0;
  size_t mPayload = 0;
};

// ----- the XML form -----

// Walks the markup as libplist's XML reader does: processing instructions, comments and
// a document type between elements; text, comments and CDATA sections inside the leaf
// elements; dict and array nesting. Wherever that reader's reading could depend on a
// detail (a quoted '>' inside a tag, an internal DTD subset, an unknown element), the
// bytes are refused instead.
class XmlScan
{
public:
  XmlScan(const char* begin, const char* end, std::string* problem)
    : mPos(begin), mEnd(end), mBudget(problem)
  {
  }

  bool Run()
  {
    for (;;)
    {
      SkipSpace();
      if (mPos >= mEnd) break;
      if (*mPos != '<') return false;
      bool ok;
      if (StartsWith("<?"))
        ok = Skip(2) && SkipMarkup("?>", false);
      else if (StartsWith("<!--"))
        ok = Skip(4) && SkipPast("-->");
      else if (StartsWith("<!DOCTYPE"))
        ok = mDepth == 0 && Skip(9) && SkipMarkup(">", true);
      else if (StartsWith("<!"))
        ok = false;
      else
        ok = Element();
      if (!ok) return false;
    }
    return mDepth == 0 && !mBudget.Empty();
  }

private:
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  bool StartsWith(const char* s) const
  {
    const size_t n = strlen(s);
    return (size_t) (mEnd - mPos) >= n && memcmp(mPos, s, n) == 0;
  }
  bool Skip(size_t n)
  {
    mPos += n;
    return true;
  }
  void SkipSpace()
  {
    while (mPos < mEnd && IsSpace(*mPos)) ++mPos;
  }

  // Past the first terminator (comments, CDATA: nothing inside them is special).
  bool SkipPast(const char* terminator)
  {
    const size_t n = strlen(terminator);
    for (; (size_t) (mEnd - mPos) >= n; ++mPos)
      if (memcmp(mPos, terminator, n) == 0)
      {
        mPos += n;
        return true;
      }
    return false;
  }

  // Past the terminator of a processing instruction, a document type or a tag's
  // attributes. libplist may or may not skip double-quoted text while looking for the
  // terminator; refusing a terminator, '<' or '[' inside quotes makes both readings end
  // at the same place. strict: '<' and '[' are refused outside quotes too.
  bool SkipMarkup(const char* terminator, bool strict)
  {
    const size_t n = strlen(terminator);
    bool quoted = false;
    for (; mPos < mEnd; ++mPos)
    {
      const char c = *mPos;
      if (c == '"')
        quoted = !quoted;
      else if ((size_t) (mEnd - mPos) >= n && memcmp(mPos, terminator, n) == 0)
      {
        if (quoted) return false;
        mPos += n;
        return true;
      }
      else if ((c == '<' || c == '[') && (strict || quoted))
        return false;
    }
    return false;
  }

  // At '<' of a start or end tag.
  bool Element()
  {
    ++mPos;
    const bool closing = mPos < mEnd && *mPos == '/';
    if (closing) ++mPos;
    const char* name = mPos;
    while (mPos < mEnd && *mPos >= 'a' && *mPos <= 'z') ++mPos;
    const std::string tag(name, (size_t) (mPos - name));
    if (mPos >= mEnd) return false;

    bool empty = false;
    if (*mPos == '>')
      ++mPos;
    else if (*mPos == '/' && !closing)
    {
      if (mEnd - mPos < 2 || mPos[1] != '>') return false;
      mPos += 2;
      empty = true;
    }
    else if (IsSpace(*mPos) && closing)
    {
      SkipSpace();
      if (mPos >= mEnd || *mPos != '>') return false;
      ++mPos;
    }
    else if (IsSpace(*mPos))
    {
      if (!SkipMarkup(">", true)) return false;
      empty = mPos[-2] == '/';
    }
    else
      return false;

    if (closing) return Close(tag);
    if (tag == "plist")
    {
      // One plist element, around everything else.
      if (empty || mDepth != 0 || mSawPlist) return false;
      mSawPlist = true;
      mStack[mDepth++] = 'p';
      return true;
    }
    if (!mBudget.Values(1)) return false;
    if (tag == "dict" || tag == "array")
    {
      if (empty) return true;
      const int containers = mDepth - (mDepth > 0 && mStack[0] == 'p' ? 1 : 0);
      if (!mBudget.Depth(containers + 1)) return false;
      mStack[mDepth++] = tag[0];
      return true;
    }
    static const char* const kLeaves[] = {"key", "string", "data", "date", "integer", "real", "true", "false"};
    for (const char* leaf : kLeaves)
      if (tag == leaf) return empty || Text(tag);
    return false;
  }

  bool Close(const std::string& tag)
  {
    if (mDepth == 0) return false;
    const char open = mStack[mDepth - 1];
    const bool match = (tag == "plist" && open == 'p') || (tag == "dict" && open == 'd') ||
                       (tag == "array" && open == 'a');
    if (!match) return false;
    --mDepth;
    return true;
  }

  // A leaf's content up to its end tag.
  bool Text(const std::string& tag)
  {
    for (;;)
    {
      while (mPos < mEnd && *mPos != '<')
      {
        if (*mPos == '&' && !CharacterReference()) return false;
        ++mPos;
      }
      if (mPos >= mEnd) return false;
      if (StartsWith("<!--"))
      {
        if (!Skip(4) || !SkipPast("-->")) return false;
      }
      else if (StartsWith("<![CDATA["))
      {
        if (!Skip(9) || !SkipPast("]]>")) return false;
      }
      else if (StartsWith("</"))
      {
        mPos += 2;
        if ((size_t) (mEnd - mPos) < tag.size() || memcmp(mPos, tag.data(), tag.size()) != 0) return false;
        mPos += tag.size();
        SkipSpace();
        if (mPos >= mEnd || *mPos != '>') return false;
        ++mPos;
        return true;
      }
      else
        return false;
    }
  }

  // At '&': a numeric reference to character 0 would put a NUL in the text.
  bool CharacterReference()
  {
    const char* p = mPos + 1;
    if (p >= mEnd || *p != '#') return true;
    ++p;
    const bool hex = p < mEnd && (*p == 'x' || *p == 'X');
    if (hex) ++p;
    bool digits = false, zero = true;
    for (; p < mEnd; ++p)
    {
      const char c = *p;
      const bool digit = (c >= '0' && c <= '9') ||
                         (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
      if (!digit) break;
      digits = true;
      zero = zero && c == '0';
    }
    if (digits && zero && p < mEnd && *p == ';') return mBudget.Fail(kNul);
    return true;
  }

  const char* mPos;
  const char* mEnd;
  Budget mBudget;
  char mStack[kMaxDepth + 1] = {}; // 'p' plist, 'd' dict, 'a' array
  int mDepth = 0;
  bool mSawPlist = false;
};

// ----- the binary form -----

uint64_t BigEndian(const unsigned char* p, int n)
{
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | p[i];
  return v;
}

// Follows every reference from the root, as libplist's binary reader does, with a stack
// of its own instead of recursion.
class BinaryScan
{
public:
  BinaryScan(const unsigned char* bytes, size_t size, std::string* problem)
    : mBytes(bytes), mSize(size), mBudget(problem)
  {
  }

  bool Run()
  {
    constexpr size_t kHeader = 8, kTrailer = 32;
    if (mSize < kHeader + kTrailer) return false;
    const unsigned char* t = mBytes + mSize - kTrailer;
    mOffsetSize = t[6];
    mRefSize = t[7];
    mObjects = BigEndian(t + 8, 8);
    const uint64_t root = BigEndian(t + 16, 8);
    mTable = BigEndian(t + 24, 8);
    if (mOffsetSize < 1 || mOffsetSize > 8 || mRefSize < 1 || mRefSize > 8) return false;
    if (mTable < kHeader || mTable >= mSize - kTrailer) return false;
    if (mObjects == 0 || mObjects > (mSize - kTrailer - mTable) / mOffsetSize || root >= mObjects) return false;

    std::vector<std::pair<uint64_t, int>> pending; // object index, container depth of its parent
    if (!mBudget.Values(1)) return false;
    pending.emplace_back(root, 0);
    while (!pending.empty())
    {
      const std::pair<uint64_t, int> next = pending.back();
      pending.pop_back();
      if (!Object(next.first, next.second, &pending)) return false;
    }
    return true;
  }

private:
  // Reads an object's marker and length; p moves past them.
  bool Length(const unsigned char** p, const unsigned char* end, uint64_t* length) const
  {
    const unsigned char marker = *(*p)++;
    *length = marker & 0x0F;
    if (*length != 0x0F) return true;
    if (*p >= end) return false;
    const unsigned char sizeMarker = *(*p)++;
    if ((sizeMarker & 0xF0) != 0x10 || (sizeMarker & 0x0F) > 3) return false;
    const int n = 1 << (sizeMarker & 0x0F);
    if (end - *p < n) return false;
    *length = BigEndian(*p, n);
    *p += n;
    return true;
  }

  bool Object(uint64_t index, int parentDepth, std::vector<std::pair<uint64_t, int>>* pending)
  {
    const uint64_t offset = BigEndian(mBytes + mTable + index * mOffsetSize, mOffsetSize);
    if (offset < 8 || offset >= mTable) return false;
    const unsigned char* p = mBytes + offset;
    const unsigned char* end = mBytes + mTable; // objects lie before the offset table
    const int type = *p >> 4;
    uint64_t length = 0;
    switch (type)
    {
      case 0x0: return *p == 0x00 || *p == 0x08 || *p == 0x09; // null, false, true
      case 0x1:                                                 // integer
      case 0x2:                                                 // real
      case 0x3:                                                 // date
      case 0x8: return true;                                    // UID
      case 0x4:                                                 // data
        return Length(&p, end, &length) && length <= (uint64_t) (end - p) && mBudget.Payload(length);
      case 0x5: // ASCII string
        if (!Length(&p, end, &length) || length > (uint64_t) (end - p) || !mBudget.Payload(length)) return false;
        return !memchr(p, 0, (size_t) length) || mBudget.Fail(kNul);
      case 0x6: // UTF-16 string; libplist's UTF-8 form takes up to 4 bytes a unit
        if (!Length(&p, end, &length) || length > (uint64_t) (end - p) / 2 || !mBudget.Payload(4 * length))
          return false;
        for (uint64_t i = 0; i < length; ++i)
          if (p[2 * i] == 0 && p[2 * i + 1] == 0) return mBudget.Fail(kNul);
        return true;
      case 0xA: // array
      case 0xC: // set, read as an array
      case 0xD: // dictionary: the keys' references, then the values'
      {
        if (!mBudget.Depth(parentDepth + 1) || !Length(&p, end, &length)) return false;
        const uint64_t room = (uint64_t) (end - p) / mRefSize;
        if (length > room) return false;
        const uint64_t refs = type == 0xD ? 2 * length : length;
        if (refs > room || !mBudget.Values(refs)) return false;
        for (uint64_t i = 0; i < refs; ++i)
        {
          const uint64_t child = BigEndian(p + i * mRefSize, mRefSize);
          if (child >= mObjects) return false;
          pending->emplace_back(child, parentDepth + 1);
        }
        return true;
      }
      default: return false;
    }
  }

  const unsigned char* mBytes;
  size_t mSize;
  Budget mBudget;
  int mOffsetSize = 0;
  int mRefSize = 0;
  uint64_t mObjects = 0;
  uint64_t mTable = 0;
};
} // namespace

bool PlistShape::Check(const void* bytes, size_t size, Form* form, std::string* problem)
{
  problem->clear();
  const char* text = (const char*) bytes;
  if (!bytes || size == 0) return false;
  if (size >= 8 && memcmp(text, "bplist00", 8) == 0)
  {
    *form = Form::kBinary;
    return BinaryScan((const unsigned char*) bytes, size, problem).Run();
  }
  *form = Form::kXML;
  // XML has no NUL character, not even as a reference.
  if (memchr(text, 0, size))
  {
    *problem = kNul;
    return false;
  }
  return XmlScan(text, text + size, problem).Run();
}
