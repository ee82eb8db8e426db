// The least a previewer can do with a job: read the file once through one
// fixed 1 MiB buffer and add up its bytes (the trailer checksum covers every
// byte). Whole-process benchmarks time lumikor-cli against this program.
// Prints the sum, so that the adding cannot be left out.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;
alignas(64) unsigned char g_buffer[kBufferSize];

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumikor_stream_floor FILE\n");
        return 2;
    }
    const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "cannot open '%s': %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    std::uint32_t sum = 0;
    for (;;) {
        const ssize_t got = read(fd, g_buffer, kBufferSize);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "cannot read '%s': %s\n", argv[1], std::strerror(errno));
            close(fd);
            return 1;
        }
        for (ssize_t i = 0; i < got; ++i) sum += g_buffer[i];
    }
    close(fd);
    std::printf("%u\n", sum);
    return 0;
}
