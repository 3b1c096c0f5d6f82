#pragma once
// Base of every editor control: a rectangle to draw in and one to take the mouse in, an
// optional parameter, a normalised value 0..1, drawing flags and the event handlers the
// graphics context calls.
//
// The audio thread reaches a control only through IGraphics::SetControlFromPlug, that is
// through SetValueFromPlug and SetDirty(false), and IGraphics::SetAllControlsDirty, which
// counts in the context rather than touching each control; the value, its default, its
// clamp range and the dirty and redraw flags are therefore atomic, and overrides of
// those calls must neither lock nor allocate.

#include "IPlug/IChannelBlend.h"
#include "IPlug/IMouseMod.h"
#include "IPlug/IRECT.h"
#include "IPlug/IText.h"

#include <atomic>

class IGraphics;
class IPlugBase;

enum EDirection
{
  kVertical = 0,
  kHorizontal = 1
};

class IControl
{
public:
  IControl(IPlugBase* plug, const IRECT* rect, int paramIdx = -1,
           IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNormal);
  virtual ~IControl() = default;

  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // A right press prompts for the value.
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int, int, IMouseMod*) {}
  virtual void OnMouseDrag(int, int, int, int, IMouseMod*) {}
  // Restores the default value, once one has been received.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  // 0.01 per step, 0.001 with control or shift.
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  virtual bool OnKeyDown(int, int, int) { return false; }
  virtual void OnMouseOver(int, int, IMouseMod*) {}
  virtual void OnMouseOut() {}

  virtual bool Draw(IGraphics* graphics) = 0;

  // From the plug-in. The first value received becomes the double-click default and
  // leaves the control clean; later ones that differ dirty it.
  virtual void SetValueFromPlug(double value);
  virtual void TextFromTextEntry(const char*) {}

  // Top-left corner to (x, y), size kept; the hit rectangle follows.
  virtual void Move(int x, int y);
  virtual void Resize(int w, int h);
  // Hidden controls are neither drawn nor hit; greyed ones are drawn at a quarter of
  // their opacity and not hit.
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y);

  // Clamps the value into the clamp range and marks the control dirty; with push, hands
  // the value to the plug-in as a change made in the editor.
  virtual void SetDirty(bool pushParamToPlug = true);
  // A value received while drawing keeps the control dirty for one more repaint.
  virtual void SetClean();
  // Dirty since last cleaned, by its own marking or by the graphics context's
  // SetAllControlsDirty.
  virtual bool IsDirty();

  // Called by the graphics context that takes the control: from then on the context's
  // SetAllControlsDirty dirties it too.
  void SetGraphics(IGraphics* graphics);
  virtual void OnGUIIdle() {}

  // From the user: dirties the control and pushes the value when it changed.
  void SetValueFromUserInput(double value);
  // Asks the platform for a new value: a menu over the control when the parameter has
  // display texts, else a 30 x 16 text field centred on it; or over the given rectangle.
  void PromptUserInput();
  void PromptUserInput(IRECT* textRect);

  IPlugBase* GetPlug() const { return mPlug; }
  IRECT* GetRECT() { return &mRECT; }
  IRECT* GetTargetRECT() { return &mTargetRECT; }
  void SetTargetArea(const IRECT& r) { mTargetRECT = r; }
  int ParamIdx() const { return mParamIdx; }
  double GetValue() const { return mValue.load(std::memory_order_relaxed); }
  double GetDefaultValue() const { return mDefaultValue.load(std::memory_order_relaxed); }
  void Clamp(double lo, double hi);
  double GetClampLo() const { return mClampLo.load(std::memory_order_relaxed); }
  double GetClampHi() const { return mClampHi.load(std::memory_order_relaxed); }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool IsRedrawPending() const { return mRedraw.load(std::memory_order_relaxed); }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool IsPromptDisabled() const { return mDisablePrompt; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool b) { mDblAsSingleClick = b; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool b) { mMOWhenGrayed = b; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  IText* GetText() { return &mText; }
  void SetText(const IText* text)
  {
    if (text) mText = *text;
  }
  IChannelBlend* GetBlend() { return &mBlend; }

protected:
  // The value forced into the clamp range without losing a value stored meanwhile by
  // another thread; NaN becomes the low end.
  void ClampValue();
  void SetValue(double v) { mValue.store(v, std::memory_order_relaxed); }

  int mTextEntryLength = 7;
  IText mText;
  IPlugBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};
  std::atomic<double> mClampLo{0.0};
  std::atomic<double> mClampHi{1.0};
  std::atomic<bool> mDirty{true};
  bool mHide = false;
  bool mGrayed = false;
  std::atomic<bool> mRedraw{false};
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  // The context holding the control, and its count of SetAllControlsDirty calls when
  // the control was last cleaned: a different count now means dirty.
  IGraphics* mGraphics = nullptr;
  std::atomic<unsigned> mCleanAt{0};

  static_assert(std::atomic<double>::is_always_lock_free, "meter values must not need a lock");
};
