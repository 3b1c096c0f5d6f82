#pragma once
// The editor's graphics context: it owns the controls and keeps them in step with
// the plug-in. The audio thread reaches it only through SetControlFromPlug and
// SetAllControlsDirty, which write plain values and flags without a lock.

#include "IPlug/WDL/WDL_PtrList.h"

class IControl;
class IPlugBase;

class IGraphics
{
public:
  IGraphics(IPlugBase* plug, int width, int height, int fps = 0);
  virtual ~IGraphics();

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // Takes ownership; returns the control's index.
  int AttachControl(IControl* control);
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }

  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetAllControlsDirty();

  // Creates the drawing surfaces; called once when the context is attached.
  virtual void PrepDraw() {}

  IPlugBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }

private:
  IPlugBase* mPlug;
  int mWidth;
  int mHeight;
  int mFPS;
  WDL_PtrList<IControl> mControls;
};
