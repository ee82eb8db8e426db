// Which file a name or descriptor leads to: its device and inode, so that two
// names of one file (links, /proc/self/fd, standard input) compare equal.
#pragma once

#include <cstdint>

struct stat;

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity IdentityOf(const struct stat& info);
