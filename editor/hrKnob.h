#pragma once
// The editor's knob: a filmstrip knob with its value caption under it, moved, greyed and
// kept in step with their parameter as one. It draws nothing itself; each time it is
// drawn it places, greys and updates its two parts, which come before it in the
// control list and so show the change on the next repaint.

#include "IPlug/IBitmap.h"
#include "IPlug/IControl.h"

class ICaptionControl;
class IGraphics;
class IKnobMultiControl;

class hrKnob : public IControl
{
public:
  // Footprint of a knob and its caption, from its top-left corner.
  static constexpr int kWidth = 42, kHeight = 50;

  // Loads the filmstrip, attaches the knob and then the caption to graphics; the caller
  // attaches the hrKnob itself afterwards.
  hrKnob(IPlugBase* plug, int x, int y, int paramIdx, int bitmapId, const char* bitmapName, int nFrames,
         IGraphics* graphics);

  bool Draw(IGraphics* graphics) override;
  // Both parts take the value; the hrKnob's own is left alone.
  void SetValueFromPlug(double value) override;
  // Remembered only; the parts follow when the hrKnob is next drawn.
  void GrayOut(bool gray) override;
  // The hrKnob's own rectangle moves at once, the parts on its next draw.
  virtual void move(int x, int y);

  IKnobMultiControl* GetKnob() const { return mKnob; }
  ICaptionControl* GetCaption() const { return mCaption; }
  int GetKnobIdx() const { return mKnobIdx; }
  int GetCaptionIdx() const { return mCaptionIdx; }
  bool IsGrayRequested() const { return mGreyed; }
  int X() const { return mX; }
  int Y() const { return mY; }

private:
  IKnobMultiControl* mKnob;
  ICaptionControl* mCaption;
  int mKnobIdx, mCaptionIdx;
  int mParam;
  int mX, mY;
  bool mGreyed = false; // requested; applied to the parts on the next draw
  IBitmap mBitmap;
};
