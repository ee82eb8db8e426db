#include "io/file_prefix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

bool ReadFilePrefix(const char* path, std::size_t limit, std::string* bytes, bool* cut) {
    bytes->clear();
    *cut = false;
    // Non-blocking so that a FIFO in the file's place cannot stall the open.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0;
    if (read) {
        const auto size = static_cast<std::uint64_t>(info.st_size);
        *cut = size > limit;
        bytes->resize(*cut ? limit : static_cast<std::size_t>(size));
        std::size_t done = 0;
        while (read && done < bytes->size()) {
            const ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (got < 0 && errno == EINTR) continue;
            read = got > 0;  // a file that shrank under the read ends it too
            if (read) done += static_cast<std::size_t>(got);
        }
    }
    ::close(fd);
    if (!read) {
        bytes->clear();
        *cut = false;
    }
    return read;
}
