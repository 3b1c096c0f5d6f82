#pragma once
// Whole files as byte images: read in one go, and written so that a failed or cut-short
// write never leaves a partial file behind nor damages the file already there.

#include "IPlug/ByteChunk.h"

// False, with out emptied, when the path is no readable regular file (a pipe or a device
// is refused without waiting on it) or holds more than maxBytes bytes.
bool ReadFileImage(const char* path, ByteChunk* out, int maxBytes);

// Writes the image beside the destination, flushes it, then puts it in place by renaming;
// on any failure the temporary file is removed and the destination is untouched.
bool WriteFileImage(const char* path, const ByteChunk* image);
