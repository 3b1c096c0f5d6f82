#pragma once
// The editor's key numbers for X key presses (EKey): space 0, the arrows up, down, left
// and right 1..4, the digits 5..14 and the letters 15..40, either case giving the same
// number. Space and the arrows are told by their key, digits and letters by the one
// character the key types with Shift and Lock but without Control, Alt or Super, so
// Shift-1 is no digit and keypad digits count when Num Lock is on.

class X11KeyMap
{
public:
  // keysym and text as XLookupString reports them for the key with Control, Alt and
  // Super left out of its state. The key number, or -1 when the editor has none for it.
  static int Translate(unsigned long keysym, const char* text, int textLength);

  // Shift, Control, Lock and the like: keys that type nothing and are not passed on.
  static bool IsModifier(unsigned long keysym);
};
