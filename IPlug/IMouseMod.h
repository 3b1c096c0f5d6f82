#pragma once
// The buttons and modifier keys of a mouse event, and the key numbers of key presses.

struct IMouseMod
{
  bool L = false; // left button
  bool R = false; // right button, or the platform's right-click gesture
  bool S = false; // shift
  bool C = false; // control
  bool A = false; // alt (option)

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
    : L(l), R(r), S(s), C(c), A(a)
  {
  }
};

// Key numbers handed to OnKeyDown: letters ignore case.
enum EKey
{
  KEY_SPACE = 0,
  KEY_UPARROW = 1,
  KEY_DOWNARROW = 2,
  KEY_LEFTARROW = 3,
  KEY_RIGHTARROW = 4,
  KEY_DIGIT_0 = 5,
  KEY_DIGIT_9 = KEY_DIGIT_0 + 9,
  KEY_ALPHA_A = 15,
  KEY_ALPHA_Z = KEY_ALPHA_A + 25
};
