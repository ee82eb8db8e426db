#include "io/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/interrupt_cleanup.h"

namespace {

// The limit the kernel puts on links followed while resolving one name.
constexpr int kMaxLinks = 40;
// Random names collide only by chance; a few retries step over that.
constexpr int kMaxNameAttempts = 16;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a save to path replaces: path itself, or where its chain of
// symbolic links ends (which need not exist yet). Returns false with errno
// set when a link cannot be read or the chain loops.
bool ResolveLinks(const std::string& path, std::string* resolved) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            *resolved = current;
            return true;
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target);
        if (length < 0) return false;
        if (static_cast<std::size_t>(length) >= sizeof target) {
            errno = ENAMETOOLONG;
            return false;
        }
        const std::string link(target, static_cast<std::size_t>(length));
        current = link.front() == '/' ? link : FolderOf(current) + link;
    }
    errno = ELOOP;
    return false;
}

// Sixteen hex digits from the kernel's random source, so nobody can claim
// the name in advance.
bool RandomName(std::string* name) {
    std::uint64_t bits = 0;
    if (::getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) return false;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string digits(16, '0');
    for (char& digit : digits) {
        digit = kHex[bits & 0xF];
        bits >>= 4;
    }
    *name = ".lumikor-" + digits + ".tmp";
    return true;
}

// Gives the temporary file what the replaced file had. Ownership first:
// changing it may clear set-id bits that the mode then restores.
bool TakeOverAttributes(int fd, const struct stat& old) {
    bool ownerKept = old.st_uid == ::geteuid() && old.st_gid == ::getegid();
    if (!ownerKept) {
        ownerKept = ::fchown(fd, old.st_uid, old.st_gid) == 0;
        // Without the right to give a file away, the group may still be ours to keep.
        if (!ownerKept) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    // Set-id bits only on a file that still belongs to the same owner.
    const mode_t mask = ownerKept ? 07777 : 01777;
    return ::fchmod(fd, old.st_mode & mask) == 0;
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open(const std::string& path, std::string* error) {
    Discard();
    m_path = path;
    std::string target;
    if (!ResolveLinks(path, &target)) return Fail("cannot create", errno, error);
    m_target = std::move(target);
    return CreateTemporary(FolderOf(m_target), error);
}

bool AtomicFile::CreateTemporary(const std::string& folder, std::string* error) {
    struct stat old {};
    const bool replacing = ::stat(m_target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // A new file's mode is left to the umask as for any file the user
    // creates; a replacement starts private until it has the old file's mode.
    const mode_t mode = replacing ? 0600 : 0666;
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        std::string name;
        if (!RandomName(&name)) return Fail("cannot create", errno, error);
        std::string candidate = folder + name;
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return Fail("cannot create", errno, error);
        }
        m_fd = fd;
        m_tempPath = std::move(candidate);
        m_cleanupSlot = RegisterInterruptCleanup(m_tempPath.c_str());
        if (replacing && !TakeOverAttributes(m_fd, old)) {
            const int reason = errno;
            Discard();
            return Fail("cannot create", reason, error);
        }
        return true;
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
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        const int reason = errno;
        Discard();
        return Fail("cannot replace", reason, error);
    }
    m_tempPath.clear();
    ReleaseInterruptCleanup(m_cleanupSlot);
    m_cleanupSlot = -1;

    const std::string folder = FolderOf(m_target);
    const int folderFd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return Fail("cannot flush the folder of", errno, error);
    // Some file systems cannot flush a folder and say so with EINVAL; there
    // the rename is as durable as it gets.
    const bool flushed = ::fsync(folderFd) == 0 || errno == EINVAL;
    const int reason = errno;
    ::close(folderFd);
    return flushed || Fail("cannot flush the folder of", reason, error);
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
    ReleaseInterruptCleanup(m_cleanupSlot);
    m_cleanupSlot = -1;
}

bool NamesSameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
