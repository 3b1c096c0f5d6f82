#pragma once
// `ostrakon info`: the strip as a host sees it through its properties.

#include <cstdio>
#include <string>

// Name, version, component codes, channel layouts, then one tab-separated row per
// parameter: index, "name", unit, minimum, maximum, default, value strings.
bool PrintInfo(FILE* out, std::string* error);
