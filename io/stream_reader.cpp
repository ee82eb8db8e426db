#include "io/stream_reader.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t kFirstCapacity = std::size_t{1} << 16;

bool Fail(const std::string& reason, std::string* error) {
    if (error != nullptr) *error = reason;
    return false;
}

// One read, retried when interrupted and waited for when the descriptor was
// left non-blocking by whoever handed it over.
ssize_t ReadSome(int fd, std::uint8_t* target, std::size_t room) {
    for (;;) {
        const ssize_t got = read(fd, target, room);
        if (got >= 0) return got;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        pollfd wait{fd, POLLIN, 0};
        poll(&wait, 1, -1);  // a failure shows in the next read
    }
}

}  // namespace

bool ReadStream(int fd, std::size_t limit, HeapBytes& bytes, std::size_t* size,
                std::string* error) {
    bytes.reset();
    std::size_t capacity = 0;
    std::size_t used = 0;
    for (;;) {
        if (used == capacity) {
            if (capacity == limit) {
                // Full: one more byte means the stream is too long.
                std::uint8_t probe = 0;
                const ssize_t got = ReadSome(fd, &probe, 1);
                if (got < 0) return Fail(std::strerror(errno), error);
                if (got > 0) return Fail("larger than a job can be (4 GiB)", error);
                break;
            }
            const std::size_t grown = std::min(limit, std::max(kFirstCapacity, capacity * 2));
            void* moved = std::realloc(bytes.get(), grown);
            if (moved == nullptr) return Fail(std::strerror(ENOMEM), error);
            bytes.release();
            bytes.reset(static_cast<std::uint8_t*>(moved));
            capacity = grown;
        }
        const ssize_t got = ReadSome(fd, bytes.get() + used, capacity - used);
        if (got < 0) return Fail(std::strerror(errno), error);
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    *size = used;
    return true;
}
