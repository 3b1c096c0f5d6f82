#pragma once
// Text between Core Foundation strings and UTF-8.

#include "host/CFRef.h"

#include <string>

// The UTF-8 text of a string; false (and empty text) for anything that is not one.
bool CFTextToUTF8(CFTypeRef string, std::string* text);
// A new string, or an empty reference when the text is not valid UTF-8.
CFRef CFTextFromUTF8(const std::string& text);
