#include "io/atomic_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/interrupt_cleanup.h"

namespace {

// Random names collide only by chance; a few retries step over that.
constexpr int kMaxNameAttempts = 16;

// Why something other than a regular file is not replaced.
std::string WhatItIs(mode_t mode) {
    const char* what = "is not a regular file";
    if (S_ISDIR(mode)) what = std::strerror(EISDIR);  // as renaming onto it would say
    if (S_ISCHR(mode)) what = "is a character device";
    if (S_ISBLK(mode)) what = "is a block device";
    if (S_ISSOCK(mode)) what = "is a socket";
    if (S_ISFIFO(mode)) what = "is a pipe";
    return std::string(what) + "; only a regular file is replaced";
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

bool AtomicFile::Open(const std::string& path, std::string* error,
                      std::span<const FileIdentity> inputs) {
    Discard();
    m_path = path;
    m_place = OutputPlace{};
    std::string reason;
    if (!FindOutputPlace(path, &m_place, &reason)) return Fail("cannot create", reason, error);
    struct stat old {};
    if (!CheckTarget(inputs, &old, error)) return false;
    return CreateTemporary(m_replacing ? &old : nullptr, error);
}

bool AtomicFile::CheckTarget(std::span<const FileIdentity> inputs, struct stat* old,
                             std::string* error) {
    // Looked at without opening it for reading or writing: opening a pipe
    // could wait for ever, and opening a device can have effects.
    const UniqueFd target(
        ::openat(m_place.folder.Get(), m_place.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    m_replacing = target.Valid();
    if (!m_replacing) return errno == ENOENT || Fail("cannot create", errno, error);
    if (::fstat(target.Get(), old) != 0) return Fail("cannot create", errno, error);
    // A link here was put in after the links were resolved.
    if (S_ISLNK(old->st_mode))
        return Fail("cannot replace", "it changed while it was checked", error);
    if (!S_ISREG(old->st_mode)) return Fail("cannot replace", WhatItIs(old->st_mode), error);
    m_replaced = IdentityOf(*old);
    for (const FileIdentity& input : inputs) {
        if (input == m_replaced) {
            return Fail("cannot replace", "it is an input of this run; it is not written over",
                        error);
        }
    }
    return true;
}

bool AtomicFile::CreateTemporary(const struct stat* old, std::string* error) {
    // A new file's mode is left to the umask as for any file the user
    // creates; a replacement starts private until it has the old file's mode.
    const mode_t mode = old != nullptr ? 0600 : 0666;
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        std::string name;
        if (!RandomName(&name)) return Fail("cannot create", errno, error);
        const int fd = ::openat(m_place.folder.Get(), name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return Fail("cannot create", errno, error);
        }
        m_fd = fd;
        m_tempName = std::move(name);
        m_tempPath = m_place.folderPath + m_tempName;
        m_cleanupSlot = RegisterInterruptCleanup(m_tempPath.c_str());
        if (old != nullptr && !TakeOverAttributes(m_fd, *old)) {
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
    if (!Rename(error)) return false;
    m_tempName.clear();
    m_tempPath.clear();
    ReleaseInterruptCleanup(m_cleanupSlot);
    m_cleanupSlot = -1;

    const int folderFd = ::openat(m_place.folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return Fail("cannot flush the folder of", errno, error);
    // Some file systems cannot flush a folder and say so with EINVAL; there
    // the rename is as durable as it gets.
    const bool flushed = ::fsync(folderFd) == 0 || errno == EINVAL;
    const int reason = errno;
    ::close(folderFd);
    return flushed || Fail("cannot flush the folder of", reason, error);
}

// Into the place checked at Open, and only if the name still leads to the
// file checked there (or, for a new file, to nothing).
bool AtomicFile::Rename(std::string* error) {
    const int folder = m_place.folder.Get();
    const char* name = m_place.name.c_str();
    int result = 0;
    if (m_replacing) {
        struct stat now {};
        if (::fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(now.st_mode) ||
            IdentityOf(now) != m_replaced) {
            Discard();
            return Fail("cannot replace", "it changed while the file was written", error);
        }
        result = ::renameat(folder, m_tempName.c_str(), folder, name);
    } else {
        result = ::renameat2(folder, m_tempName.c_str(), folder, name, RENAME_NOREPLACE);
        // A file system without that flag: a hard link is as exclusive.
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = ::linkat(folder, m_tempName.c_str(), folder, name, 0);
            if (result == 0) ::unlinkat(folder, m_tempName.c_str(), 0);
        }
    }
    if (result == 0) return true;
    const int reason = errno;
    Discard();
    if (reason == EEXIST)
        return Fail("cannot create", "it appeared while the file was written", error);
    return Fail("cannot replace", reason, error);
}

bool AtomicFile::Fail(const std::string& what, int errorNumber, std::string* error) {
    return Fail(what, std::strerror(errorNumber), error);
}

bool AtomicFile::Fail(const std::string& what, const std::string& reason, std::string* error) {
    if (error != nullptr) *error = what + " '" + m_path + "': " + reason;
    return false;
}

void AtomicFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.empty()) {
        ::unlinkat(m_place.folder.Get(), m_tempName.c_str(), 0);
        m_tempName.clear();
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
