#include "IPlug/controls/ISwitchControl.h"

ISwitchControl::ISwitchControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               int clickMode, IChannelBlend::EBlendMethod blendMethod)
  : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod), mClickMode(clickMode)
{
  mDblAsSingleClick = true;
}

void ISwitchControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  const int n = mBitmap.N;
  double v = GetValue();
  if (mod && mod->R)
  {
    PromptUserInput();
    v = GetValue();
  }
  else if (n < 2)
    v += 1.0;
  else
  {
    const double step = 1.0 / (n - 1);
    if (mClickMode == kVerticalSlices || mClickMode == kHorizontalSlices)
    {
      const bool vertical = mClickMode == kVerticalSlices;
      const int size = (vertical ? mRECT.H() : mRECT.W()) / n;
      const int pos = vertical ? y - mRECT.T : x - mRECT.L;
      // Strictly inside a slice: a click on a slice boundary, or past the last whole
      // slice, belongs to none and changes nothing.
      for (int i = 0; i < n; ++i)
        if (pos > i * size && pos < (i + 1) * size)
        {
          v = i * step;
          break;
        }
    }
    else
      v += step;
  }
  if (v > 1.001) v = 0.0;
  SetValue(v);
  SetDirty(true);
}
