#include "IPlug/controls/IFaderControl.h"

#include "IPlug/IGraphics.h"
#include "IPlug/IParam.h"

IFaderControl::IFaderControl(IPlugBase* plug, int x, int y, int len, int paramIdx, const IBitmap* handle,
                             EDirection direction)
  : IControl(plug, nullptr, paramIdx), mLen(len), mDirection(direction), mBitmap(handle ? *handle : IBitmap())
{
  if (direction == kVertical)
  {
    mHandleHeadroom = mBitmap.FrameHeight();
    mRECT = IRECT(x, y, x + mBitmap.W, y + len);
  }
  else
  {
    mHandleHeadroom = mBitmap.W;
    mRECT = IRECT(x, y, x + len, y + mBitmap.FrameHeight());
  }
  mTargetRECT = mRECT;
}

IRECT IFaderControl::GetHandleRECT(double v) const
{
  if (v < 0.0) v = GetValue();
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.W, mRECT.T + mBitmap.FrameHeight());
  const double travel = mLen - mHandleHeadroom;
  if (mDirection == kVertical)
  {
    const int offs = TruncToInt(travel * (1.0 - v));
    r.T += offs;
    r.B += offs;
  }
  else
  {
    const int offs = TruncToInt(travel * v);
    r.L += offs;
    r.R += offs;
  }
  return r;
}

void IFaderControl::SnapToMouse(int x, int y)
{
  const int travel = mLen - mHandleHeadroom;
  // A handle as long as the track has nowhere to go.
  if (travel > 0)
  {
    if (mDirection == kVertical)
      SetValue(1.0 - (double) (y - mRECT.T - mHandleHeadroom / 2) / (double) travel);
    else
      SetValue((double) (x - mRECT.L - mHandleHeadroom / 2) / (double) travel);
  }
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
  {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) { SnapToMouse(x, y); }

bool IFaderControl::Draw(IGraphics* graphics)
{
  IRECT r = GetHandleRECT();
  return graphics->DrawBitmap(&mBitmap, &r, 1, &mBlend);
}
