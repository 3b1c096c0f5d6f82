#include "IPlug/x11/X11Modifiers.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

X11Modifiers::X11Modifiers() : mAlt(Mod1Mask), mSuper(Mod4Mask) {}

void X11Modifiers::ReadFrom(Display* display)
{
  XModifierKeymap* map = display ? XGetModifierMapping(display) : nullptr;
  if (!map) return;
  unsigned int alt = 0, super = 0;
  // Rows 3..7 are Mod1..Mod5; Shift, Lock and Control keep their own bits.
  for (int mod = 3; mod < 8; ++mod)
    for (int k = 0; k < map->max_keypermod; ++k)
    {
      const KeyCode code = map->modifiermap[mod * map->max_keypermod + k];
      if (!code) continue;
      const KeySym sym = XkbKeycodeToKeysym(display, code, 0, 0);
      if (sym == XK_Alt_L || sym == XK_Alt_R) alt |= 1u << mod;
      if (sym == XK_Super_L || sym == XK_Super_R) super |= 1u << mod;
    }
  XFreeModifiermap(map);
  if (alt) mAlt = alt;
  if (super) mSuper = super;
}

IMouseMod X11Modifiers::PointerMod(unsigned int state, Button button) const
{
  const bool shift = (state & ShiftMask) != 0;
  const bool control = (state & ControlMask) != 0;
  const bool alt = (state & mAlt) != 0;
  switch (button)
  {
    case Button::Left: return IMouseMod(true, (state & mSuper) != 0, shift, control, alt);
    case Button::Right: return IMouseMod(false, true, shift, control, alt);
    default: return IMouseMod(false, false, shift, control, alt);
  }
}

unsigned int X11Modifiers::CommandMasks() const { return ControlMask | mAlt | mSuper; }
