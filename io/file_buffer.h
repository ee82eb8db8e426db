// The desktop program's job loading: one owned byte array per load.
#pragma once

#include <cstdint>

// Loads the regular file at path (through JobFile: mapped, not copied) and
// returns its bytes, which the caller releases with FreeFileBuffer, storing
// the length through length when that is not null. Returns null, leaving
// *length untouched, for a null path, a file that cannot be opened or is not
// a regular file, or a file of 4 GiB or more. An empty file gives a valid
// array of length 0. Should the file shrink while its bytes are read, the
// lost part reads as zeros instead of ending the program.
std::uint8_t* LoadFileToBuffer(const char* path, std::uint32_t* length);

// Releases a buffer from LoadFileToBuffer. Returns 0 for null, else 1.
int FreeFileBuffer(std::uint8_t* buffer);
