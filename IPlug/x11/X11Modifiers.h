#pragma once
// Which X modifier bits carry Shift, Control, Alt and Super, and the IMouseMod of a
// pointer event. Left-button presses, motion and the wheel set L, and R when Super is
// held, so that a Super-click reaches the controls as a right click (value entry);
// right-button events set R only; middle-button events neither.

#include "IPlug/IMouseMod.h"

typedef struct _XDisplay Display;

class X11Modifiers
{
public:
  enum class Button
  {
    Left, // also motion without a button, and the wheel
    Right,
    Middle
  };

  // Until ReadFrom: Alt on Mod1 and Super on Mod4, as most servers have them.
  X11Modifiers();
  // Finds Alt and Super in the server's modifier map; keeps the defaults for a key the
  // map does not hold.
  void ReadFrom(Display* display);

  IMouseMod PointerMod(unsigned int state, Button button) const;

  unsigned int AltMask() const { return mAlt; }
  unsigned int SuperMask() const { return mSuper; }
  // The bits that do not change the character a key types here (Control, Alt, Super).
  unsigned int CommandMasks() const;

private:
  unsigned int mAlt, mSuper;
};
