#include "IPlug/TextEntryFilter.h"

#include "IPlug/IParam.h"

#include <cstring>

namespace
{
const char* AllowedFor(const IParam* param)
{
  if (!param) return nullptr;
  switch (param->Type())
  {
    case IParam::kTypeDouble: return "0123456789.-+";
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return "0123456789-+";
    default: return nullptr;
  }
}
} // namespace

TextEntryFilter::TextEntryFilter(const IParam* param, int maxLength)
  : mAllowed(AllowedFor(param)), mMaxLength(maxLength > 0 ? maxLength : 0)
{
}

bool TextEntryFilter::IsPartialStringValid(const char* text) const
{
  if (!text) return true;
  // Length in characters: UTF-8 continuation bytes do not count.
  int length = 0;
  for (const char* p = text; *p; ++p)
  {
    if (((unsigned char) *p & 0xC0) != 0x80) ++length;
    if (mAllowed && !strchr(mAllowed, *p)) return false;
  }
  return mMaxLength == 0 || length <= mMaxLength;
}
