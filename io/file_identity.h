// Which file a name or descriptor leads to: its device and inode, so that two
// names of one file (links, /proc/self/fd, standard input) compare equal.
#pragma once

#include <sys/stat.h>

#include <cstdint>

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

inline FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}
