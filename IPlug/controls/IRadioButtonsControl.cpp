#include "IPlug/controls/IRadioButtonsControl.h"

#include "IPlug/IGraphics.h"
#include "IPlug/IParam.h"

IRadioButtonsControl::IRadioButtonsControl(IPlugBase* plug, const IRECT* rect, int paramIdx, int nButtons,
                                           const IBitmap* bitmap, EDirection direction)
  : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap())
{
  const int n = nButtons > 0 ? nButtons : 1;
  IRECT* buttons = mButtons.Resize(n) ? mButtons.Get() : nullptr;
  if (!buttons) return;
  const int w = mBitmap.W, h = mBitmap.FrameHeight();
  // Spread so that the first button starts at the rectangle's start and the last ends
  // at its end.
  const int gap = n > 1 ? ((direction == kVertical ? mRECT.H() - h : mRECT.W() - w) / (n - 1)) : 0;
  for (int i = 0; i < n; ++i)
  {
    const int x = mRECT.L + (direction == kHorizontal ? i * gap : 0);
    const int y = mRECT.T + (direction == kVertical ? i * gap : 0);
    buttons[i] = IRECT(x, y, x + w, y + h);
  }
}

IRECT IRadioButtonsControl::GetButtonRECT(int i) const
{
  return i >= 0 && i < mButtons.GetSize() ? mButtons.Get()[i] : IRECT();
}

int IRadioButtonsControl::GetSelected() const
{
  const int n = mButtons.GetSize();
  if (n <= 1) return 0;
  const int i = TruncToInt((n - 1) * GetValue() + 0.5);
  return i < 0 ? 0 : (i >= n ? n - 1 : i);
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
  {
    PromptUserInput();
    return;
  }
  const int n = mButtons.GetSize();
  for (int i = 0; i < n; ++i)
    if (mButtons.Get()[i].Contains(x, y))
    {
      SetValue(n > 1 ? (double) i / (n - 1) : 0.0);
      break;
    }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
  const int n = mButtons.GetSize(), selected = GetSelected();
  for (int i = 0; i < n; ++i)
    if (!graphics->DrawBitmap(&mBitmap, &mButtons.Get()[i], i == selected ? 2 : 1, &mBlend)) return false;
  return true;
}
