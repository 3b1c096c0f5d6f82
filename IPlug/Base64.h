#pragma once
// Base64 in the standard alphabet (A-Z, a-z, 0-9, +, /), as preset blobs are written.

class WDL_String;

// Encodes size bytes, padded with '=' to a multiple of four characters.
void Base64Encode(const unsigned char* data, int size, WDL_String* out);

// Decodes into out's first outSize bytes, which the caller has zeroed. Decoding stops
// at the first character outside the alphabet ('=' or the end of the text); bytes
// beyond outSize are dropped. Returns the number of bytes decoded, dropped ones included.
int Base64Decode(const char* text, unsigned char* out, int outSize);
