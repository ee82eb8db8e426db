#include "io/file_buffer.h"

#include "io/job_file.h"

std::uint8_t* LoadFileToBuffer(const char* path, std::uint32_t* length) {
    if (path == nullptr) return nullptr;
    JobFile file;
    if (!file.Open(path, JobSource::kRegularFile, nullptr)) return nullptr;
    const std::uint32_t size = file.Size();
    // The caller's array type is writable by contract; the pages are mapped
    // read-only and nothing here writes them.
    auto* buffer = const_cast<std::uint8_t*>(file.Release());
    if (length != nullptr) *length = size;
    return buffer;
}

int FreeFileBuffer(std::uint8_t* buffer) {
    if (buffer == nullptr) return 0;
    FreeJobBytes(buffer);
    return 1;
}
