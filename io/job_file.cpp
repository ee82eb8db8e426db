#include "io/job_file.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// An empty job still has an address: the parser refuses a null buffer.
constexpr std::uint8_t kNoBytes[1] = {0};

constexpr std::size_t kMaxJobSize = UINT32_MAX;

bool Fail(const std::string& reason, std::string* error) {
    if (error != nullptr) *error = reason;
    return false;
}

// Why a file that is neither regular nor a readable stream is refused.
const char* WhatItIs(mode_t mode) {
    if (S_ISDIR(mode)) return "is a directory";
    if (S_ISCHR(mode)) return "is a character device";
    if (S_ISBLK(mode)) return "is a block device";
    if (S_ISSOCK(mode)) return "is a socket";
    if (S_ISFIFO(mode)) return "is a pipe";
    return "is not a regular file";
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

bool JobFile::Open(const std::string& path, JobSource source, std::string* error) {
    Close();
    if (path == "-" && source == JobSource::kFileOrStream) {
        m_fd = STDIN_FILENO;
        m_ownsFd = false;
    } else {
        // Non-blocking, so that opening a FIFO or a device cannot stall
        // before it is known what it is.
        m_fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            const int reason = errno;
            struct stat info {};
            // A socket cannot be opened at all; say so rather than ENXIO.
            if (reason == ENXIO && stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
                return Fail(WhatItIs(info.st_mode), error);
            return Fail(std::strerror(reason), error);
        }
        m_ownsFd = true;
    }
    if (Load(m_fd, source, error)) return true;
    Close();
    return false;
}

bool JobFile::Load(int fd, JobSource source, std::string* error) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return Fail(std::strerror(errno), error);
    m_identity = IdentityOf(info);
    if (S_ISREG(info.st_mode)) {
        // Standard input may be a file already read from; only a file at
        // its start is the whole job.
        if (fd != STDIN_FILENO || lseek(fd, 0, SEEK_CUR) == 0) return LoadRegular(info, error);
        return LoadStream(error);
    }
    const bool stream = S_ISFIFO(info.st_mode) || (fd == STDIN_FILENO && S_ISSOCK(info.st_mode));
    if (source != JobSource::kFileOrStream || !stream) return Fail(WhatItIs(info.st_mode), error);
    if (fd != STDIN_FILENO && !AwaitWriter(fd, error)) return false;
    return LoadStream(error);
}

bool JobFile::AwaitWriter(int fd, std::string* error) {
    // A named pipe opened without blocking reads an end at once while no
    // writer has come yet. The same descriptor is kept: opening the pipe
    // again would wait for a second writer when the first has already
    // written its job and gone. A read end's poll returns only once a
    // writer has come (with data, or gone again without).
    pollfd waiting{fd, POLLIN, 0};
    while (poll(&waiting, 1, -1) < 0) {
        if (errno != EINTR) return Fail(std::strerror(errno), error);
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0)
        return Fail(std::strerror(errno), error);
    return true;
}

bool JobFile::LoadRegular(const struct stat& info, std::string* error) {
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > kMaxJobSize)
        return Fail(kJobTooLarge, error);
    m_opened = info;
    m_watched = true;
    m_size = static_cast<std::uint32_t>(info.st_size);
    if (m_size == 0) {
        m_data = kNoBytes;
        return true;
    }
    if (!m_mapping.Map(m_fd, m_size, error)) return false;
    m_data = m_mapping.Data();
    return true;
}

bool JobFile::LoadStream(std::string* error) {
    std::size_t size = 0;
    if (!ReadStream(m_fd, kMaxJobSize, m_heap, &size, error)) return false;
    m_size = static_cast<std::uint32_t>(size);
    m_data = size == 0 ? kNoBytes : m_heap.get();
    return true;
}

bool JobFile::Changed() const {
    if (m_mapping.LostPages()) return true;
    if (!m_watched) return false;
    struct stat now {};
    // A rewrite in place keeps the size but not the modification time.
    return fstat(m_fd, &now) != 0 || now.st_size != m_opened.st_size ||
           !SameTime(now.st_mtim, m_opened.st_mtim);
}

void JobFile::Close() {
    m_mapping.Unmap();
    m_heap.reset();
    if (m_ownsFd && m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_ownsFd = false;
    m_data = nullptr;
    m_size = 0;
    m_watched = false;
    m_identity = {};
}
