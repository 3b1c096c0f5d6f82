#pragma once
// Base of every editor control: a value in 0..1, an optional parameter link and
// the dirty flag that the graphics context repaints from.

class IPlugBase;

class IControl
{
public:
  explicit IControl(IPlugBase* plug, int paramIdx = -1) : mPlug(plug), mParamIdx(paramIdx) {}
  virtual ~IControl() = default;

  // The first value a control receives becomes its double-click default.
  virtual void SetValueFromPlug(double value);
  virtual void SetDirty(bool pushParamToPlug = true);
  virtual void SetClean() { mDirty = false; }
  virtual bool IsDirty() const { return mDirty; }

  int ParamIdx() const { return mParamIdx; }
  double GetValue() const { return mValue; }
  double GetDefaultValue() const { return mDefaultValue; }
  bool IsRedrawPending() const { return mRedraw; }

protected:
  IPlugBase* mPlug;
  int mParamIdx;
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0;
  double mClampHi = 1.0;
  bool mDirty = true;
  bool mRedraw = false;
};
