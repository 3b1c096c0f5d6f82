#pragma once
// What an audio file's header says it holds, read from the file before libsndfile sees
// it. The renderer hands libsndfile only WAV, AIFF and FLAC files holding 16/24-bit PCM
// or 32-bit float samples, so none of the library's other readers and decoders (Ogg,
// MPEG, ADPCM, headerless guesses and the rest) ever runs on a file given to it, and a
// file that is something else is named for what it is.

#include <string>

namespace AudioHeader
{
// True for a file the renderer reads. Otherwise false, with problem completing
// "'FILE' " into one line, as in "is an Ogg file; only WAV, AIFF or FLAC files can be
// read". Reads with pread: the descriptor's offset is left where it was.
bool Check(int fd, std::string* problem);
} // namespace AudioHeader
