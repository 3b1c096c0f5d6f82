#pragma once
// Keeps X protocol errors on the editor's own connections from ending the process.
// Xlib's default handler exits on any error, and an embedded editor can meet one through
// no fault of its own, for instance when the host destroys the parent window before
// closing the editor. The first watched connection installs one handler for the
// process: errors on watched connections are counted and otherwise ignored, all others
// go on to the handler that was there before, so a host's own handling is kept.

typedef struct _XDisplay Display;

class X11ErrorTrap
{
public:
  static void Watch(Display* display);
  // After the connection is closed: closing it may still report errors.
  static void Forget(Display* display);
  // The errors seen on the connection since it was watched or last asked; 0 for a
  // connection not watched.
  static int TakeErrors(Display* display);
};
