#pragma once
// `ostrakon snapshot`: the editor drawn without a window after the settings (and, with an
// audio file, after rendering it, so the meters show its last levels), as a PNG file.

#include "tools/StripSettings.h"

#include <string>
#include <vector>

struct SnapshotOptions
{
  StripSettings strip;                // a preset, then settings, after the initialisation
  std::string audioPath;              // rendered through the strip before the picture
};

// The same settings and file give the same picture. On failure nothing is left at
// outPath and a file already there is untouched.
bool WriteSnapshot(const std::string& outPath, const SnapshotOptions& options, std::string* error);
