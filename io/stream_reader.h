// Reading a stream (a pipe, standard input) of unknown length into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

struct FreeBytes {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};
// Allocated with malloc, so that growing a large buffer can move its pages
// instead of copying them.
using HeapBytes = std::unique_ptr<std::uint8_t, FreeBytes>;

// Reads fd to its end into bytes (size in *size). Refuses, as soon as the
// stream passes limit bytes, with "larger than a job can be (4 GiB)", so no
// more than limit bytes are ever held; a read error or a failed allocation
// gives false with its reason in *error.
bool ReadStream(int fd, std::size_t limit, HeapBytes& bytes, std::size_t* size, std::string* error);
