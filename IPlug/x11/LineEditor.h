#pragma once
// One line of editable UTF-8 text with a cursor and a selection: the editing behind the
// in-place text field. The text starts as given, wholly selected. Every insertion is
// checked against the field's filter first and refused whole when the result breaks
// it; deleting is always allowed, so a field opened on an over-long text can be cut
// down. Positions are byte offsets that never fall inside a character.

#include "IPlug/TextEntryFilter.h"

#include <cstddef>
#include <string>

class LineEditor
{
public:
  LineEditor(const TextEntryFilter& filter, const char* initial);

  const std::string& Text() const { return mText; }
  size_t Cursor() const { return mCursor; }
  // The selection runs between the anchor and the cursor.
  size_t SelectionStart() const { return mAnchor < mCursor ? mAnchor : mCursor; }
  size_t SelectionEnd() const { return mAnchor < mCursor ? mCursor : mAnchor; }
  bool HasSelection() const { return mAnchor != mCursor; }

  // Replaces the selection (or inserts at the cursor); false when the filter refuses.
  bool Insert(const std::string& utf8);
  // The selection, or the character before (Backspace) or after (Delete) the cursor.
  void Backspace();
  void Delete();

  // Cursor moves; with select the selection stretches from where it was anchored.
  void Left(bool select);
  void Right(bool select);
  void Home(bool select);
  void End(bool select);
  void SelectAll();
  // The cursor to the character boundary at or before pos, nothing selected.
  void SetCursor(size_t pos);

private:
  size_t Previous(size_t pos) const;
  size_t Next(size_t pos) const;
  void MoveTo(size_t pos, bool select);
  void EraseSelection();

  TextEntryFilter mFilter;
  std::string mText;
  size_t mCursor = 0, mAnchor = 0;
};
