#include "cli/read_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

#include "cli/terminal_text.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    bytes.clear();
    // Reserve what the file says it holds, so that a large job is not copied
    // through ever larger buffers (which would hold it about twice over); the
    // reading below still goes to the end, whatever the size said.
    std::error_code sizeError;
    const std::uintmax_t expected = std::filesystem::file_size(path, sizeError);
    if (!sizeError && expected <= std::numeric_limits<std::uint32_t>::max()) {
        bytes.reserve(static_cast<std::size_t>(expected));
    }
    std::uint8_t chunk[1 << 16];
    std::size_t got = 0;
    // Read to the end rather than trusting a size from seeking, which pipes
    // and special files do not give.
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (bytes.size() + got > std::numeric_limits<std::uint32_t>::max()) {
            error = "file is larger than a job can be (4 GiB)";
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool LoadJob(const std::string& path, std::vector<std::uint8_t>& bytes, std::ostream& err) {
    std::string error;
    if (ReadWholeFile(path, bytes, error)) return true;
    err << "lumikor-cli: cannot read '" << TerminalText(path) << "': " << error << '\n';
    return false;
}
