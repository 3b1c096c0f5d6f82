#include "editor/hrKnob.h"

#include "IPlug/IGraphics.h"
#include "IPlug/IParam.h"
#include "IPlug/IPlugBase.h"
#include "IPlug/controls/ICaptionControl.h"
#include "IPlug/controls/IKnobMultiControl.h"

namespace
{
// Where the caption sits under the knob's corner.
constexpr int kCaptionL = 5, kCaptionT = 42, kCaptionR = 42, kCaptionB = 50;
const IColor kCaptionColor(255, 180, 180, 180);

// A part goes to (x, y) and to the grey state asked for; when either changes it is
// marked for the next repaint.
void Place(IControl* part, int x, int y, bool gray)
{
  const IRECT* r = part->GetRECT();
  const bool moved = r->L != x || r->T != y;
  part->Move(x, y);
  // Greying dirties the part, so it is asked only for a change: a knob re-greyed on every
  // draw would keep the editor repainting forever.
  if (part->IsGrayed() != gray)
    part->GrayOut(gray);
  else if (moved)
    part->SetDirty(false);
}
} // namespace

hrKnob::hrKnob(IPlugBase* plug, int x, int y, int paramIdx, int bitmapId, const char* bitmapName, int nFrames,
               IGraphics* graphics)
  : IControl(plug, nullptr, paramIdx), mParam(paramIdx), mX(x), mY(y)
{
  mBitmap = graphics->LoadIBitmap(bitmapId, bitmapName, nFrames);
  mKnob = new IKnobMultiControl(plug, x, y, paramIdx, &mBitmap);
  const IRECT captionRect(x + kCaptionL, y + kCaptionT, x + kCaptionR, y + kCaptionB);
  const IText captionStyle(10, &kCaptionColor, "Arial");
  mCaption = new ICaptionControl(plug, &captionRect, paramIdx, &captionStyle, true);
  mKnobIdx = graphics->AttachControl(mKnob);
  mCaptionIdx = graphics->AttachControl(mCaption);
  mRECT = IRECT(x, y, x + kWidth, y + kHeight);
  mTargetRECT = IRECT(); // the parts take the mouse, never the hrKnob itself
}

bool hrKnob::Draw(IGraphics*)
{
  Place(mKnob, mX, mY, mGreyed);
  Place(mCaption, mX + kCaptionL, mY + kCaptionT, mGreyed);
  // Whatever set the parameter last (the knob, the caption, the host), both parts show it.
  if (const IParam* param = mPlug ? mPlug->GetParam(mParam) : nullptr)
  {
    const double v = param->GetNormalized();
    mKnob->SetValueFromUserInput(v);
    mCaption->SetValueFromUserInput(v);
  }
  return true;
}

void hrKnob::SetValueFromPlug(double value)
{
  mCaption->SetValueFromPlug(value);
  mKnob->SetValueFromPlug(value);
}

void hrKnob::GrayOut(bool gray) { mGreyed = gray; }

void hrKnob::move(int x, int y)
{
  mX = x;
  mY = y;
  mRECT = IRECT(x, y, x + kWidth, y + kHeight);
}
