#pragma once
// The editor's graphics context: it owns the controls, keeps them in step with the
// plug-in's parameters in both directions, tracks what needs repainting, paints the
// controls into an off-screen 32-bit bitmap and routes mouse and key events to them.
// Everything that needs a windowing system is a pure virtual platform operation;
// IGraphicsHeadless implements them without a window.
//
// Threads: the GUI thread does all drawing, event dispatch and attachment. The audio
// thread calls only SetControlFromPlug and SetAllControlsDirty, which write atomic
// control values, flags and counts without a lock or an allocation.

#include "IPlug/IBitmap.h"
#include "IPlug/IChannelBlend.h"
#include "IPlug/IColor.h"
#include "IPlug/IMouseMod.h"
#include "IPlug/IPopupMenu.h"
#include "IPlug/IRECT.h"
#include "IPlug/IText.h"
#include "IPlug/WDL/WDL_Mutex.h"
#include "IPlug/WDL/WDL_PtrList.h"
#include "IPlug/WDL/WDL_String.h"

#include <atomic>
#include <cstdint>
#include <string>

class IControl;
class IParam;
class IPlugBase;
class LICE_MemBitmap;
class LICE_SysBitmap;

enum EFileAction
{
  kFileOpen = 0,
  kFileSave = 1
};

class IGraphics
{
public:
  // fps <= 0 means 25 repaints a second. No bitmap exists until PrepDraw.
  IGraphics(IPlugBase* plug, int width, int height, int fps = 0);
  // Deletes the key catcher, the controls last to first, then the bitmaps.
  virtual ~IGraphics();

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // Creates the off-screen surface and the scratch bitmap; called by
  // IPlugBase::AttachGraphics.
  virtual void PrepDraw();

  // ----- controls -----

  // Appends the control, which the context then owns, and returns its index.
  int AttachControl(IControl* control);
  // Inserts an opaque bitmap background (one frame) at index 0, shifting every control
  // attached before it up by one.
  void AttachBackground(int id, const char* name);
  // Inserts a panel filled with color over the whole editor at index 0; returns 0.
  int AttachPanelBackground(const IColor* color);
  // The control that gets key presses no control under the pointer takes; owned.
  void AttachKeyCatcher(IControl* control);

  IControl* GetControl(int idx) const { return mControls.Get(idx); } // null outside
  int GetNControls() const { return mControls.GetSize(); }

  // ----- parameter link -----

  // Every control bound to paramIdx gets the value (normalised through the parameter
  // first unless normalized).
  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // The value for one control, which may have no parameter (a meter); an index outside
  // the list does nothing. Audio thread.
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  // Every control bound to paramIdx takes the value as user input.
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void GrayOutControl(int paramIdx, bool gray);
  void HideControl(int paramIdx, bool hide);

  // A menu of the display texts for enums and bools that have them, otherwise a text
  // field with the value as a number. Null arguments do nothing.
  void PromptUserInput(IControl* control, IParam* param, IRECT* rect);
  // The end of a text entry opened for a parameter: the text mapped through the display
  // texts (bool and enum) or read as a decimal number.
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* txt);

  // ----- repainting (GUI thread, driven by the platform's timer) -----

  // Widens r by the rectangle of every dirty control, hidden ones too; the caller
  // passes an empty rectangle. Returns whether any control was dirty.
  bool IsDirty(IRECT* r);
  // Paints the dirty controls and puts r on screen; see the strict drawing policy.
  virtual bool Draw(IRECT* r);
  // Marks every control dirty without touching a parameter, as SetDirty(false) on each
  // would (values are not clamped again: every path that sets one clamps it). One count
  // in the context, whatever the number of controls. Audio thread.
  void SetAllControlsDirty();
  // How often SetAllControlsDirty was called; a control cleaned at another count is dirty.
  unsigned AllDirtyCount() const { return mAllDirty.load(std::memory_order_relaxed); }
  // Strict (the default): every control touching r is drawn, each within r. Otherwise
  // each dirty control is repainted within its own rectangle with the controls under
  // and over it, or the whole background when the background is dirty.
  void SetStrictDrawing(bool strict);
  void OnGUIIdle();

  // ----- mouse and keys (GUI thread; editor pixels) -----

  // The captured control, else the top-most visible control hit at (x, y) that is not
  // greyed (or, for mouse-over, allows it while greyed); -1 when none.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // True when the control takes double clicks as clicks (it was pressed).
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }

  // The parameter under the point for host-side automation, -1 over the background.
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();

  // ----- bitmaps and fonts (process-wide caches) -----

  // The bitmap for id, decoded once per process by OSLoadBitmap and shared; the frame
  // count is the caller's. A resource that cannot be loaded is an installation fault
  // and stops the program.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1);
  // Keeps a bitmap alive until the process ends.
  void RetainBitmap(IBitmap* bitmap);
  // Deletes a cached bitmap; nothing when the cache does not hold it.
  void ReleaseBitmap(IBitmap* bitmap);
  // New retained bitmaps: the whole of src stretched to w x h (bilinear), and a plain
  // copy of the area r of src. The frame count is kept.
  IBitmap ScaleBitmap(IBitmap* src, int w, int h);
  IBitmap CropBitmap(IBitmap* src, IRECT* r);
  // The shared font for t's face, size, style and orientation (also kept in t), or null
  // when none can be made.
  raster::Font* CacheFont(IText* t);

  // ----- drawing (into the off-screen bitmap, clipped to it; false without one) -----

  // dest is cut to the draw rectangle; the source is read from (srcX, srcY) moved by
  // as much as the cut moved dest's top-left corner.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend = nullptr);
  // Frame-selecting form: frame 1 is the top one; frames below 2 draw frame 1.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame = 1, const IChannelBlend* blend = nullptr);
  // The whole bitmap centred on (destCtrX, destCtrY), rotated clockwise by angle radians
  // about a centre moved down by yOffsetZeroDeg pixels, bilinear.
  bool DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg = 0,
                         const IChannelBlend* blend = nullptr);
  // base, with its alpha cut by mask and with top drawn over it, mask and top rotated
  // by angle degrees about their centres, put at (x, y) within the draw rectangle.
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend = nullptr);
  // Coordinates truncated to whole pixels.
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // From innerRadius to outerRadius at angle radians (0 up, clockwise) about (cx, cy).
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float innerRadius,
                      float outerRadius, const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // From pixel x1 to pixel x2 (or y1 to y2), both included, at full weight.
  bool DrawHorizontalLine(const IColor* color, int y, int x1, int x2);
  bool DrawVerticalLine(const IColor* color, int x, int y1, int y2);
  // Across r at the fraction y of its height from the bottom, or x of its width from
  // the left, clamped to 0..1.
  bool DrawHorizontalLine(const IColor* color, IRECT* r, float y);
  bool DrawVerticalLine(const IColor* color, IRECT* r, float x);
  // The outline: the outermost pixels of r.
  bool DrawRect(const IColor* color, IRECT* r);
  bool FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend = nullptr);
  bool RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius, bool antiAlias);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int n, const IChannelBlend* blend = nullptr);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend = nullptr);
  bool DrawCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  // Angles in radians, 0 up, clockwise.
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antiAlias = false);
  // Writes one pixel as it is / reads one back (transparent outside the surface).
  bool ForcePixel(const IColor* color, int x, int y);
  IColor GetPoint(int x, int y);
  // Text in t's style with its top at r's top, aligned within r. True without drawing
  // for a null or empty string; false when no font can be made.
  bool DrawIText(IText* t, const char* str, IRECT* r);

  // The off-screen surface and its pixels (premultiplied 0xAARRGGBB), for the platform.
  LICE_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  uint32_t* GetBits();
  // The area the current Draw pass repaints.
  const IRECT* GetDrawRECT() const { return &mDrawRECT; }

  // ----- size and identity -----

  IPlugBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  WDL_Mutex* GetMutex() { return &mMutex; }

  // ----- drawing at a scale -----

  // The editor drawn at a scale for a screen of fine pixels: the draw bitmap is scale
  // times the editor's size, while controls keep their rectangles and every position in
  // editor pixels; the drawing primitives scale what they draw. Bitmaps come from the
  // artwork drawn at that scale ("name@2x.png" beside "name.png"), or are the 1x bitmap
  // stretched when there is none; text is set at the scaled size. 1 (the default), 1.5
  // or 2; any other value gives 1. Marks every control dirty; the GUI thread's call.
  void SetScale(double scale);
  double GetScale() const { return mScale; }
  // An editor coordinate in draw-bitmap pixels (rounded half up), and a rectangle's.
  int ToDevice(int v) const;
  IRECT ToDevice(const IRECT& r) const;
  // The draw bitmap's size.
  int DeviceWidth() const { return ToDevice(mWidth); }
  int DeviceHeight() const { return ToDevice(mHeight); }
  // The file of a bitmap drawn at a scale: "knob.png" at 2 is "knob@2x.png", at 1.5
  // "knob@1.5x.png"; at 1 the name itself.
  static std::string ScaledName(const char* name, double scale);

  // ----- platform operations, in the order of their slots -----

  virtual bool DrawScreen(IRECT* r) = 0;
  virtual void ForceEndUserEdit() = 0;
  // Stores the size, releases the mouse, deletes every control and asks the plug-in to
  // build its editor again (ResizeGraphics). A platform also resizes its bitmap.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return false; }
  virtual const char* GetGUIAPI() { return nullptr; }
  // Shows the menu modally; returns it with the chosen item set, or null if dismissed.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) = 0;
  // Opens an editable field; its end comes back through SetFromStringAfterPrompt (with
  // a parameter) or the control's TextFromTextEntry.
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                               IParam* param) = 0;
  virtual void HostPath(WDL_String* path) = 0;
  virtual void PluginPath(WDL_String* path) = 0;
  // filename is emptied when the user cancels.
  virtual void PromptForFile(WDL_String* filename, EFileAction action, WDL_String* dir,
                             const char* extensions) = 0;
  virtual bool PromptForColor(IColor* color, const char* prompt) = 0;
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
                       const char* errMsgOnFailure = nullptr) = 0;
  virtual void* OpenWindow(void* parent) = 0;
  virtual void* OpenWindow(void*, void*) { return nullptr; }
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  // Decodes the named image from the plug-in's resources into a new bitmap, or null.
  virtual raster::Bitmap* OSLoadBitmap(int id, const char* name) = 0;
  // Where OSLoadBitmap looks for the image, for the message of a failed load.
  virtual void DescribeBitmapLookup(int, const char*, WDL_String* places)
  {
    if (places) places->Set("the plug-in's resources");
  }

protected:
  // Set by a platform whose Resize waits for the next Draw to resize its surface.
  bool mResizePending = false;
  int mIdleTicks = 0;

private:
  bool BlitClipped(raster::Bitmap* src, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend);
  // At a scale other than 1: a blit in draw-bitmap pixels, cut to the scaled draw
  // rectangle; and the bitmap's counterpart at the scale (found, loaded or stretched).
  bool BlitScaled(raster::Bitmap* src, const IRECT& dest, int srcX, int srcY, const IChannelBlend* blend);
  raster::Bitmap* ScaledSource(raster::Bitmap* base);
  // The control at idx gets a press: capture, position, host gesture begin, OnMouseDown.
  void PressControl(int idx, int x, int y, IMouseMod* mod);

  WDL_Mutex mMutex; // for the platform; no operation here takes it
  WDL_PtrList<IControl> mControls{256 * (int) sizeof(IControl*)};
  IPlugBase* mPlug;
  IRECT mDrawRECT;
  LICE_SysBitmap* mDrawBitmap = nullptr;
  LICE_MemBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight, mFPS;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  IControl* mKeyCatcher = nullptr;
  std::atomic<unsigned> mAllDirty{0};
  double mScale = 1.0;
};
