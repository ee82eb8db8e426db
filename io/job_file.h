// The one way a job file is loaded, by the desktop program and lumikor-cli
// alike. A regular file is mapped read-only (its pages stay the page cache's,
// nothing is copied) and unmapped when the JobFile ends; a pipe or standard
// input, which cannot be mapped, is read into memory. Either way the job is
// at most 4 GiB, since its length is 32 bits.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "io/file_identity.h"
#include "io/guarded_mapping.h"
#include "io/stream_reader.h"

enum class JobSource : std::uint8_t {
    kRegularFile,   // the desktop program: regular files only
    kFileOrStream,  // lumikor-cli: also pipes, and "-" for standard input
};

// The reasons that are not the system's own.
inline constexpr char kJobTooLarge[] = "larger than a job can be (4 GiB)";
inline constexpr char kJobChanged[] = "the job file changed while it was read";

class JobFile {
public:
    JobFile() = default;
    JobFile(const JobFile&) = delete;
    JobFile& operator=(const JobFile&) = delete;
    ~JobFile() { Close(); }

    // Loads the job at path. On failure returns false with the reason
    // ("No such file or directory", "is a directory", kJobTooLarge, ...) in
    // *error. Devices, sockets and directories are refused before any read.
    bool Open(const std::string& path, JobSource source, std::string* error);

    // Never null once opened, also for an empty job.
    const std::uint8_t* Data() const { return m_data; }
    std::uint32_t Size() const { return m_size; }
    std::span<const std::uint8_t> Bytes() const { return {m_data, m_size}; }

    // The file (or pipe) read, however it was named, so that no output of
    // the run is written over it.
    FileIdentity Identity() const { return m_identity; }

    // True when the file was truncated or rewritten while it was loaded:
    // what was read is not one version of the file. Ask after the last read.
    bool Changed() const;

private:
    bool Load(int fd, JobSource source, std::string* error);
    bool LoadRegular(const struct stat& info, std::string* error);
    bool LoadStream(std::string* error);
    bool AwaitWriter(int fd, std::string* error);
    void Close();

    const std::uint8_t* m_data = nullptr;
    std::uint32_t m_size = 0;
    GuardedMapping m_mapping;
    HeapBytes m_heap;
    FileIdentity m_identity;
    int m_fd = -1;
    bool m_ownsFd = false;
    // A regular file's state when opened, to notice a change afterwards.
    struct stat m_opened {};
    bool m_watched = false;
};
