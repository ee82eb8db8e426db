#include "io/file_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

namespace {

// Closes the descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

bool ReadExactly(int fd, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::uint8_t* LoadFileToBuffer(const char* path, std::uint32_t* length) {
    if (path == nullptr) return nullptr;
    // Non-blocking so that a FIFO typed into the path cannot stall the open;
    // only regular files are read.
    const FileDescriptor file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) return nullptr;
    struct stat info {};
    if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    // The length is passed on as 32 bits: a larger file would be cut silently.
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > UINT32_MAX) return nullptr;

    const auto size = static_cast<std::uint32_t>(info.st_size);
    std::uint8_t* buffer = new (std::nothrow) std::uint8_t[size];
    if (buffer == nullptr) return nullptr;
    if (!ReadExactly(file.Get(), buffer, size)) {
        delete[] buffer;
        return nullptr;
    }
    if (length != nullptr) *length = size;
    return buffer;
}

int FreeFileBuffer(std::uint8_t* buffer) {
    if (buffer == nullptr) return 0;
    delete[] buffer;
    return 1;
}
