#include "IPlug/IGraphics.h"

#include "IPlug/IControl.h"
#include "IPlug/IParam.h"
#include "IPlug/IPlugBase.h"
#include "IPlug/controls/IBitmapControl.h"
#include "IPlug/controls/IPanelControl.h"
#include "raster/Bitmap.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

IGraphics::IGraphics(IPlugBase* plug, int width, int height, int fps)
  : mPlug(plug), mWidth(width), mHeight(height), mFPS(fps > 0 ? fps : 25)
{
}

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mControls.Empty(true);
  delete mDrawBitmap;
  delete mTmpBitmap;
}

void IGraphics::PrepDraw()
{
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = new LICE_SysBitmap(DeviceWidth(), DeviceHeight());
  mTmpBitmap = new LICE_MemBitmap(0, 0);
}

// ----- controls -----

int IGraphics::AttachControl(IControl* control)
{
  if (!control) return -1;
  if (!mControls.Add(control))
  {
    delete control; // owned from here on, even when the list cannot take it
    return -1;
  }
  control->SetGraphics(this);
  return mControls.GetSize() - 1;
}

void IGraphics::AttachBackground(int id, const char* name)
{
  IBitmap bg = LoadIBitmap(id, name, 1);
  IControl* c = new IBitmapControl(mPlug, 0, 0, -1, &bg, IChannelBlend::kBlendOpaque);
  if (!mControls.Insert(0, c))
    delete c;
  else
    c->SetGraphics(this);
}

int IGraphics::AttachPanelBackground(const IColor* color)
{
  IRECT r(0, 0, mWidth, mHeight);
  IControl* c = new IPanelControl(mPlug, &r, color);
  if (!mControls.Insert(0, c))
    delete c;
  else
    c->SetGraphics(this);
  return 0;
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
  if (control == mKeyCatcher) return;
  delete mKeyCatcher;
  mKeyCatcher = control;
}

// ----- parameter link -----

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (!normalized)
  {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->GetNormalized(value);
  }
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromPlug(value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IControl* c = mControls.Get(controlIdx)) c->SetValueFromPlug(normalizedValue);
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (!normalized)
  {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Clamp(lo, hi);
  }
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->GrayOut(gray);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Hide(hide);
  }
}

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect)
{
  if (!control || !param || !rect) return;
  char current[MAX_PARAM_DISPLAY_LEN];
  const int nTexts = param->GetNDisplayTexts();
  const IParam::EParamType type = param->Type();
  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && nTexts > 0))
  {
    param->GetDisplayForHost(current, true);
    IPopupMenu menu;
    for (int i = 0; i < nTexts; ++i)
    {
      const char* text = param->GetDisplayText((double) i);
      menu.AddItem(text, -1, strcmp(text, current) == 0 ? IPopupMenu::Item::kChecked : 0);
    }
    IPopupMenu* chosen = CreateIPopupMenu(&menu, rect);
    if (!chosen) return;
    // A platform answer outside the menu counts as dismissed.
    const int i = chosen->GetChosenItemIdx();
    if (i >= 0 && i < nTexts) control->SetValueFromUserInput(param->GetNormalized((double) i));
  }
  else
  {
    param->GetDisplayForHost(current, false);
    CreateTextEntry(control, control->GetText(), rect, current, param);
  }
}

namespace
{
// A decimal number at the start of txt: only sign, digit, point and exponent characters
// are read, so that neither "nan" nor a hexadecimal form gets through; anything else
// reads as 0.
double ReadDecimal(const char* txt)
{
  while (*txt == ' ' || *txt == '\t') ++txt;
  char buf[64];
  size_t n = 0;
  while (n + 1 < sizeof buf && txt[n] && strchr("0123456789+-.eE", txt[n])) buf[n] = txt[n], ++n;
  buf[n] = 0;
  const double v = strtod(buf, nullptr);
  return std::isnan(v) ? 0.0 : v;
}
} // namespace

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* txt)
{
  if (!control || !param) return;
  if (!txt) txt = "";
  double v;
  const IParam::EParamType type = param->Type();
  if (type == IParam::kTypeBool || type == IParam::kTypeEnum)
  {
    int vi = 0;
    param->MapDisplayText(txt, &vi);
    v = (double) vi;
  }
  else
  {
    v = ReadDecimal(txt);
    if (param->GetNegateDisplay()) v = -v;
  }
  control->SetValueFromUserInput(param->GetNormalized(v));
}

// ----- repainting -----

bool IGraphics::IsDirty(IRECT* r)
{
  bool dirty = false;
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsDirty())
    {
      *r = r->Union(c->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* r)
{
  const int n = mControls.GetSize();
  if (n == 0) return true;
  if (mStrict)
  {
    mDrawRECT = *r;
    for (int i = 0; i < n; ++i)
    {
      IControl* c = mControls.Get(i);
      if (!c->IsHidden() && !r->Empty() && r->Intersects(c->GetRECT())) c->Draw(this);
      c->SetClean();
    }
  }
  else
  {
    IControl* bg = mControls.Get(0);
    if (bg->IsDirty())
    {
      mDrawRECT = *bg->GetRECT();
      for (int i = 0; i < n; ++i)
      {
        IControl* c = mControls.Get(i);
        if (i == 0 || !c->IsHidden()) c->Draw(this);
        c->SetClean();
      }
    }
    else
    {
      for (int i = 1; i < n; ++i)
      {
        IControl* dirty = mControls.Get(i);
        if (!dirty->IsDirty()) continue;
        mDrawRECT = *dirty->GetRECT();
        for (int j = 0; j < n; ++j)
        {
          IControl* c = mControls.Get(j);
          if (!c->IsHidden() && (j == i || c->GetRECT()->Intersects(&mDrawRECT))) c->Draw(this);
        }
        dirty->SetClean();
      }
    }
  }
  return DrawScreen(r);
}

void IGraphics::SetAllControlsDirty()
{
  // Counted rather than marked control by control: the audio thread calls it after every
  // block, and a pass over a hundred controls would cost it a few per cent of a block.
  mAllDirty.fetch_add(1, std::memory_order_relaxed);
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::OnGUIIdle()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->OnGUIIdle();
}

// ----- mouse and keys -----

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0) return mMouseCapture;
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture()
{
  mMouseCapture = -1;
  mMouseX = mMouseY = -1;
}

void IGraphics::PressControl(int idx, int x, int y, IMouseMod* mod)
{
  IControl* c = mControls.Get(idx);
  if (!c) return;
  mMouseCapture = idx;
  mMouseX = x;
  mMouseY = y;
  // The gesture opens before the press is handled: a switch or a fader changes its
  // value on the press itself, and that change belongs inside the gesture. Only a
  // parameter the plug-in has: the host must not hear of one it does not.
  const int paramIdx = c->ParamIdx();
  if (mPlug && mPlug->GetParam(paramIdx)) mPlug->BeginInformHostOfParamChange(paramIdx);
  c->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  const int idx = GetMouseControlIdx(x, y);
  if (idx >= 0) PressControl(idx, x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  const int idx = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  IControl* c = mControls.Get(idx);
  if (!c) return;
  c->OnMouseUp(x, y, mod);
  const int paramIdx = c->ParamIdx();
  if (mPlug && mPlug->GetParam(paramIdx)) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  IControl* c = mControls.Get(mMouseCapture);
  if (!c || (x == mMouseX && y == mMouseY)) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  const int idx = GetMouseControlIdx(x, y);
  IControl* c = mControls.Get(idx);
  if (!c) return false;
  if (c->GetDblAsSingleClick())
  {
    PressControl(idx, x, y, mod);
    return true;
  }
  c->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  if (IControl* c = mControls.Get(GetMouseControlIdx(x, y))) c->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (mHandleMouseOver)
  {
    const int idx = GetMouseControlIdx(x, y, true);
    if (IControl* c = mControls.Get(idx)) c->OnMouseOver(x, y, mod);
    if (mMouseOver >= 0 && mMouseOver != idx)
      if (IControl* old = mControls.Get(mMouseOver)) old->OnMouseOut();
    mMouseOver = idx;
  }
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int idx = GetMouseControlIdx(x, y);
  if (idx > 0) return mControls.Get(idx)->OnKeyDown(x, y, key);
  if (mKeyCatcher) return mKeyCatcher->OnKeyDown(x, y, key);
  return false;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  const int idx = GetMouseControlIdx(x, y);
  mLastClickedParam = idx > 0 ? mControls.Get(idx)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int p = mLastClickedParam;
  mLastClickedParam = -1;
  return p;
}

// ----- size -----

void IGraphics::Resize(int w, int h)
{
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  mMouseOver = -1; // the hovered control is about to go
  mControls.Empty(true);
  if (mPlug) mPlug->ResizeGraphics(w, h);
}
