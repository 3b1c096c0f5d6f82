#include "IPlug/IControl.h"

#include "IPlug/IGraphics.h"
#include "IPlug/IPlugBase.h"

#include <cmath>

IControl::IControl(IPlugBase* plug, const IRECT* rect, int paramIdx, IChannelBlend::EBlendMethod blendMethod)
  : mPlug(plug), mRECT(rect ? *rect : IRECT()), mTargetRECT(mRECT), mParamIdx(paramIdx),
    mBlend(blendMethod, 1.0f)
{
}

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  const double def = GetDefaultValue();
  if (def >= 0.0)
  {
    SetValue(def);
    SetDirty(true);
  }
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  const double step = (mod && (mod->C || mod->S)) ? 0.001 : 0.01;
  SetValue(GetValue() + d * step);
  SetDirty(true);
}

void IControl::SetValueFromPlug(double value)
{
  if (mDefaultValue.load(std::memory_order_relaxed) < 0.0)
  {
    mValue.store(value, std::memory_order_relaxed);
    mDefaultValue.store(value, std::memory_order_relaxed);
    return;
  }
  if (value != mValue.load(std::memory_order_relaxed))
  {
    mValue.store(value, std::memory_order_relaxed);
    SetDirty(false);
    mRedraw.store(true, std::memory_order_relaxed);
  }
}

void IControl::SetValueFromUserInput(double value)
{
  if (value != GetValue())
  {
    SetValue(value);
    SetDirty(true);
    mRedraw.store(true, std::memory_order_relaxed);
  }
}

void IControl::ClampValue()
{
  double v = mValue.load(std::memory_order_relaxed);
  for (;;)
  {
    const double lo = mClampLo.load(std::memory_order_relaxed);
    const double hi = mClampHi.load(std::memory_order_relaxed);
    double c = v;
    if (std::isnan(c) || c < lo) c = lo;
    if (c > hi) c = hi;
    if (c == v) return;
    // Only a value this thread read is replaced; one stored since is kept and clamped.
    if (mValue.compare_exchange_weak(v, c, std::memory_order_relaxed)) return;
  }
}

void IControl::SetDirty(bool pushParamToPlug)
{
  ClampValue();
  mDirty.store(true, std::memory_order_relaxed);
  if (pushParamToPlug && mPlug && mParamIdx >= 0) mPlug->SetParameterFromGUI(mParamIdx, GetValue());
}

void IControl::SetClean()
{
  if (mGraphics) mCleanAt.store(mGraphics->AllDirtyCount(), std::memory_order_relaxed);
  mDirty.store(mRedraw.load(std::memory_order_relaxed), std::memory_order_relaxed);
  mRedraw.store(false, std::memory_order_relaxed);
}

bool IControl::IsDirty()
{
  return mDirty.load(std::memory_order_relaxed) ||
         (mGraphics && mGraphics->AllDirtyCount() != mCleanAt.load(std::memory_order_relaxed));
}

void IControl::SetGraphics(IGraphics* graphics)
{
  mGraphics = graphics;
  if (graphics) mCleanAt.store(graphics->AllDirtyCount(), std::memory_order_relaxed);
}

bool IControl::IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }

void IControl::Move(int x, int y)
{
  const int w = mRECT.W(), h = mRECT.H();
  mRECT = IRECT(x, y, x + w, y + h);
  mTargetRECT = mRECT;
}

void IControl::Resize(int w, int h)
{
  mRECT = IRECT(mRECT.L, mRECT.T, mRECT.L + w, mRECT.T + h);
  mTargetRECT = mRECT;
  mRedraw.store(true, std::memory_order_relaxed);
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  mRedraw.store(true, std::memory_order_relaxed);
  mBlend.mWeight = hide ? 0.0f : 1.0f;
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

void IControl::Clamp(double lo, double hi)
{
  mClampLo.store(lo, std::memory_order_relaxed);
  mClampHi.store(hi, std::memory_order_relaxed);
}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  IGraphics* graphics = mPlug->GetGUI();
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!graphics || !param) return;
  if (param->GetNDisplayTexts() > 0)
    graphics->PromptUserInput(this, param, &mRECT);
  else
  {
    const int cx = (int) mRECT.MW(), cy = (int) mRECT.MH();
    IRECT textRect(cx - 15, cy - 8, cx + 15, cy + 8);
    graphics->PromptUserInput(this, param, &textRect);
  }
  mRedraw.store(true, std::memory_order_relaxed);
}

void IControl::PromptUserInput(IRECT* textRect)
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug || !textRect) return;
  IGraphics* graphics = mPlug->GetGUI();
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!graphics || !param) return;
  graphics->PromptUserInput(this, param, textRect);
  mRedraw.store(true, std::memory_order_relaxed);
}
