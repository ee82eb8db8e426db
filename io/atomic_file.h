// AtomicFile writes a file so that readers only ever see the old file or the
// complete new one: bytes go to a temporary file in the target's folder,
// which replaces the target only after every byte is written and flushed to
// disk. Anything that fails on the way leaves the target untouched and
// removes the temporary file.
#pragma once

#include <cstddef>
#include <string>

class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();  // discards an uncommitted temporary file

    // Creates the temporary file for path. On failure returns false with the
    // system's reason in *error (when given).
    bool Open(const std::string& path, std::string* error);
    bool Write(const void* data, std::size_t size, std::string* error);
    // Flushes, closes and renames the temporary file over the target.
    bool Commit(std::string* error);

private:
    bool Fail(const std::string& what, int errorNumber, std::string* error);
    void Discard();

    std::string m_path;
    std::string m_tempPath;
    int m_fd = -1;
};
