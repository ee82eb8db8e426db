// Reading the start of a small text file whose size nobody checked: the
// settings file is read only as far as a reader needs.
#pragma once

#include <cstddef>
#include <string>

// Reads at most limit bytes from the start of the regular file at path into
// *bytes, and tells through *cut whether the file holds more. False, with
// *bytes empty, when the file cannot be opened, is not a regular file (a
// folder, a pipe, a device) or cannot be read.
bool ReadFilePrefix(const char* path, std::size_t limit, std::string* bytes, bool* cut);
