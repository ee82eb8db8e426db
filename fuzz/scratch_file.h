// Targets whose code under test reads a path get the input through one
// temporary file per process.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// A temporary file that lives as long as the fuzzing process.
class ScratchFile {
public:
    ScratchFile() {
        const char* dir = std::getenv("TMPDIR");
        m_path =
            std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/lumikor-fuzz-XXXXXX";
        m_fd = mkstemp(m_path.data());
        if (m_fd < 0) std::abort();
    }
    ~ScratchFile() {
        close(m_fd);
        unlink(m_path.c_str());
    }

    const std::string& Rewrite(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(m_fd, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
        return m_path;
    }

private:
    std::string m_path;
    int m_fd = -1;
};
