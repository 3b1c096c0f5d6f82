#pragma once
// `ostrakon editor`: the strip's editor in a top-level X11 window of its own, fully
// working, until the window is closed or the program gets SIGINT or SIGTERM. The strip
// runs in real time on an audio thread of its own, as on a host's track: silence, or an
// audio file over and over, so that the meters move (the output goes nowhere).

#include "tools/StripSettings.h"

#include <string>

struct EditorOptions
{
  StripSettings strip;        // a preset, then settings, after the initialisation
  std::string audioPath;      // looped through the strip while the window is open
  std::string savePresetPath; // the state when the editor ends, as its extension says
};

// False with a one-line error when the strip, the files or the window cannot be set
// up, or the state cannot be saved; the window's end by the user or a signal is success.
bool RunEditor(const EditorOptions& options, std::string* error);
