#include "IPlug/x11/LineEditor.h"

namespace
{
bool IsContinuation(char c) { return ((unsigned char) c & 0xC0) == 0x80; }
} // namespace

LineEditor::LineEditor(const TextEntryFilter& filter, const char* initial)
  : mFilter(filter), mText(initial ? initial : "")
{
  SelectAll();
}

size_t LineEditor::Previous(size_t pos) const
{
  if (pos == 0) return 0;
  --pos;
  while (pos > 0 && IsContinuation(mText[pos])) --pos;
  return pos;
}

size_t LineEditor::Next(size_t pos) const
{
  if (pos >= mText.size()) return mText.size();
  ++pos;
  while (pos < mText.size() && IsContinuation(mText[pos])) ++pos;
  return pos;
}

void LineEditor::MoveTo(size_t pos, bool select)
{
  mCursor = pos;
  if (!select) mAnchor = pos;
}

void LineEditor::EraseSelection()
{
  const size_t start = SelectionStart();
  mText.erase(start, SelectionEnd() - start);
  mCursor = mAnchor = start;
}

bool LineEditor::Insert(const std::string& utf8)
{
  const size_t start = SelectionStart();
  std::string edited = mText;
  edited.replace(start, SelectionEnd() - start, utf8);
  if (!mFilter.IsPartialStringValid(edited.c_str())) return false;
  mText = edited;
  mCursor = mAnchor = start + utf8.size();
  return true;
}

void LineEditor::Backspace()
{
  if (!HasSelection()) mAnchor = Previous(mCursor);
  EraseSelection();
}

void LineEditor::Delete()
{
  if (!HasSelection()) mAnchor = Next(mCursor);
  EraseSelection();
}

void LineEditor::Left(bool select)
{
  // Without select, a selection collapses to its start.
  MoveTo(HasSelection() && !select ? SelectionStart() : Previous(mCursor), select);
}

void LineEditor::Right(bool select)
{
  MoveTo(HasSelection() && !select ? SelectionEnd() : Next(mCursor), select);
}

void LineEditor::Home(bool select) { MoveTo(0, select); }

void LineEditor::End(bool select) { MoveTo(mText.size(), select); }

void LineEditor::SelectAll()
{
  mAnchor = 0;
  mCursor = mText.size();
}

void LineEditor::SetCursor(size_t pos)
{
  if (pos > mText.size()) pos = mText.size();
  while (pos > 0 && pos < mText.size() && IsContinuation(mText[pos])) --pos;
  mCursor = mAnchor = pos;
}
