#include "IPlug/IControl.h"

void IControl::SetValueFromPlug(double value)
{
  if (mDefaultValue < 0.0)
  {
    mValue = mDefaultValue = value;
    return;
  }
  if (value != mValue)
  {
    mValue = value;
    SetDirty(false);
    mRedraw = true;
  }
}

void IControl::SetDirty(bool)
{
  if (mValue < mClampLo) mValue = mClampLo;
  if (mValue > mClampHi) mValue = mClampHi;
  mDirty = true;
}
