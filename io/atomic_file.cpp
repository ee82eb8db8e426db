#include "io/atomic_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough attempts to step over temporary files left behind by earlier runs
// that had the same process id.
constexpr int kMaxNameAttempts = 100;

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open(const std::string& path, std::string* error) {
    Discard();
    m_path = path;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    // O_EXCL never reuses an existing name, and the mode is left to the umask
    // as for any other file the user creates.
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        std::string candidate = folder + ".lumikor-" + std::to_string(::getpid()) + "-" +
                                std::to_string(attempt) + ".tmp";
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_tempPath = std::move(candidate);
            return true;
        }
        if (errno != EEXIST) return Fail("cannot create", errno, error);
    }
    return Fail("cannot create", EEXIST, error);
}

bool AtomicFile::Write(const void* data, std::size_t size, std::string* error) {
    if (m_fd < 0) return Fail("cannot write", EBADF, error);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            const int reason = errno;
            Discard();
            return Fail("cannot write", reason, error);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool AtomicFile::Commit(std::string* error) {
    if (m_fd < 0) return Fail("cannot write", EBADF, error);
    if (::fsync(m_fd) != 0) {
        const int reason = errno;
        Discard();
        return Fail("cannot write", reason, error);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int reason = errno;
        Discard();
        return Fail("cannot write", reason, error);
    }
    if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        const int reason = errno;
        Discard();
        return Fail("cannot replace", reason, error);
    }
    m_tempPath.clear();
    return true;
}

bool AtomicFile::Fail(const std::string& what, int errorNumber, std::string* error) {
    if (error != nullptr) *error = what + " '" + m_path + "': " + std::strerror(errorNumber);
    return false;
}

void AtomicFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}
