#pragma once
// Version numbers are 0xMMMMmmbb: major in the upper 16 bits, then minor and
// bug-fix in one byte each.

// Room for the longest version text, "v65535.255.255", and its terminator.
constexpr int MAX_VERSION_STR_LEN = 16;

void GetVersionParts(int version, int* major, int* minor, int* bugfix);
// major * 10000 + minor * 100 + bug-fix: 0x20002 gives 20002.
int GetDecimalVersion(int version);
// "v%d.%d.%d" into out, which holds MAX_VERSION_STR_LEN bytes.
void GetVersionStr(int version, char* out);
