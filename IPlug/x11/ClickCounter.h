#pragma once
// Tells double clicks from X button presses, which carry no click count: a press of the
// same button within kIntervalMs of server time after the previous press and within
// kSlop pixels of it continues the click; any other press starts a new one.

#include <cstdint>

class ClickCounter
{
public:
  static constexpr uint32_t kIntervalMs = 400;
  static constexpr int kSlop = 4;

  // The press's place in its click: 1 for a single press, 2 for a double click, 3 ...
  int Press(unsigned int button, uint32_t time, int x, int y);
  // The next press starts a new click.
  void Reset() { mCount = 0; }

private:
  unsigned int mButton = 0;
  uint32_t mTime = 0;
  int mX = 0, mY = 0;
  int mCount = 0;
};
