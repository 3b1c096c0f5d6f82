#pragma once
// `ostrakon preset show FILE`: what a preset file (.aupreset, .fxp or .ttl) sets, as the
// strip shows it once the preset is restored.

#include <cstdio>
#include <string>

// The preset's name, then one tab-separated row per parameter: index, "name", display
// text, "label".
bool ShowPreset(const std::string& path, FILE* out, std::string* error);
