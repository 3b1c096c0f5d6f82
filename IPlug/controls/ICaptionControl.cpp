#include "IPlug/controls/ICaptionControl.h"

#include "IPlug/IParam.h"
#include "IPlug/IPlugBase.h"

ICaptionControl::ICaptionControl(IPlugBase* plug, const IRECT* rect, int paramIdx, const IText* text,
                                 bool showParamLabel)
  : ITextControl(plug, rect, text), mShowParamLabel(showParamLabel)
{
  mParamIdx = paramIdx;
  mDisablePrompt = false;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) { PromptUserInput(); }

bool ICaptionControl::Draw(IGraphics* graphics)
{
  if (IParam* param = mPlug ? mPlug->GetParam(mParamIdx) : nullptr)
  {
    char display[MAX_PARAM_DISPLAY_LEN];
    param->GetDisplayForHost(param->Value(), false, display, true);
    mStr.Set(display);
    if (mShowParamLabel)
    {
      mStr.Append(" ");
      mStr.Append(param->GetLabelForHost());
    }
  }
  return ITextControl::Draw(graphics);
}
