// Reading a whole job file into one heap buffer.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the regular file at path into a new byte array that the caller
// releases with FreeFileBuffer, and stores its length through length when
// that is not null. Returns null, leaving *length untouched, for a null path,
// a file that cannot be opened or is not a regular file, a file of 4 GiB or
// more, a read error, or a file that ends before its stated length. An empty
// file gives a valid array of length 0.
std::uint8_t* LoadFileToBuffer(const char* path, std::uint32_t* length);

// Releases a buffer from LoadFileToBuffer. Returns 0 for null, else 1.
int FreeFileBuffer(std::uint8_t* buffer);

// Reads exactly size bytes from the descriptor, retrying interrupted and
// partial reads. False when the data ends early or a read fails.
bool ReadExactly(int fd, std::uint8_t* buffer, std::size_t size);
