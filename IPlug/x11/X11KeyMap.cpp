#include "IPlug/x11/X11KeyMap.h"

#include "IPlug/IMouseMod.h"

#include <X11/keysym.h>

int X11KeyMap::Translate(unsigned long keysym, const char* text, int textLength)
{
  switch (keysym)
  {
    case XK_space: return KEY_SPACE;
    case XK_Up:
    case XK_KP_Up: return KEY_UPARROW;
    case XK_Down:
    case XK_KP_Down: return KEY_DOWNARROW;
    case XK_Left:
    case XK_KP_Left: return KEY_LEFTARROW;
    case XK_Right:
    case XK_KP_Right: return KEY_RIGHTARROW;
    default: break;
  }
  if (!text || textLength != 1) return -1;
  const char c = text[0];
  if (c >= '0' && c <= '9') return KEY_DIGIT_0 + (c - '0');
  if (c >= 'a' && c <= 'z') return KEY_ALPHA_A + (c - 'a');
  if (c >= 'A' && c <= 'Z') return KEY_ALPHA_A + (c - 'A');
  return -1;
}

bool X11KeyMap::IsModifier(unsigned long keysym)
{
  return (keysym >= XK_Shift_L && keysym <= XK_Hyper_R) || keysym == XK_Mode_switch ||
         keysym == XK_Num_Lock || (keysym >= XK_ISO_Lock && keysym <= XK_ISO_Last_Group_Lock);
}
