// AtomicFile writes a file so that readers only ever see the old file or the
// complete new one: bytes go to a temporary file in the target's folder,
// which replaces the target only after every byte is written and flushed to
// disk. Anything that fails on the way leaves the target untouched and
// removes the temporary file.
//
// What the replaced file was stays as it was: the new file takes the old
// one's permission bits (and owner and group where the system permits), and
// a target that is a symbolic link is written through to the file the link
// names, so the link stays a link. A hard-linked target is replaced under
// the given name only; its other names keep the old bytes.
#pragma once

#include <cstddef>
#include <string>

class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();  // discards an uncommitted temporary file

    // Creates the temporary file for path. On failure returns false with the
    // system's reason in *error (when given).
    bool Open(const std::string& path, std::string* error);
    bool Write(const void* data, std::size_t size, std::string* error);
    // Flushes, closes and renames the temporary file over the target, then
    // flushes the folder so the new name itself survives a power loss.
    bool Commit(std::string* error);

private:
    bool CreateTemporary(const std::string& folder, std::string* error);
    bool Fail(const std::string& what, int errorNumber, std::string* error);
    void Discard();

    std::string m_path;    // as the caller named it, for messages
    std::string m_target;  // the file replaced: m_path, or the file its links name
    std::string m_tempPath;
    int m_fd = -1;
    int m_cleanupSlot = -1;  // the interrupt cleanup entry for m_tempPath
};

// Whether both names lead to one existing file (same device and inode, links
// followed). A save must never land on the job it was drawn from.
bool NamesSameFile(const std::string& first, const std::string& second);
