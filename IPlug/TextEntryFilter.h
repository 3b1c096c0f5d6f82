#pragma once
// The rules of a text field opened for a value: the characters its parameter's kind
// allows (digits and signs for switches, whole numbers and lists, the point as well for
// real numbers, anything without a parameter or for a parameter of no kind) and at most
// the control's entry length (0: unlimited). An edit that breaks them is refused whole.

class IParam;

class TextEntryFilter
{
public:
  TextEntryFilter(const IParam* param, int maxLength);

  // Whether the field may hold text as it stands after an edit.
  bool IsPartialStringValid(const char* text) const;

  // Null for any character.
  const char* AllowedCharacters() const { return mAllowed; }
  int MaxLength() const { return mMaxLength; }

private:
  const char* mAllowed;
  int mMaxLength;
};
