// AtomicFile writes a file so that readers only ever see the old file or the
// complete new one: bytes go to a temporary file in the target's folder,
// which replaces the target only after every byte is written and flushed to
// disk. Anything that fails on the way leaves the target untouched and
// removes the temporary file.
//
// What the replaced file was stays as it was: the new file takes the old
// one's permission bits (and owner and group where the system permits), and
// a target that is a symbolic link is written through to the file the link
// names, so the link stays a link (output_place.h says which links are
// followed). A hard-linked target is replaced under the given name only; its
// other names keep the old bytes.
//
// Only a regular file is ever replaced: a pipe, a device, a socket or a
// folder at the name is refused, and so is any file the caller is reading
// from (its inputs), however it is named. At the rename the name must still
// lead to the file that was checked.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "io/file_identity.h"
#include "io/output_place.h"

class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();  // discards an uncommitted temporary file

    // Creates the temporary file for path, refusing a target that is not a
    // regular file or is one of inputs. On failure returns false with the
    // reason in *error (when given).
    bool Open(const std::string& path, std::string* error,
              std::span<const FileIdentity> inputs = {});
    bool Write(const void* data, std::size_t size, std::string* error);
    // Flushes, closes and renames the temporary file over the target, then
    // flushes the folder so the new name itself survives a power loss.
    bool Commit(std::string* error);

private:
    bool CheckTarget(std::span<const FileIdentity> inputs, struct stat* old, std::string* error);
    bool CreateTemporary(const struct stat* old, std::string* error);
    bool Rename(std::string* error);
    bool Fail(const std::string& what, int errorNumber, std::string* error);
    bool Fail(const std::string& what, const std::string& reason, std::string* error);
    void Discard();

    std::string m_path;   // as the caller named it, for messages
    OutputPlace m_place;  // the file replaced: m_path, or the file its links name
    bool m_replacing = false;
    FileIdentity m_replaced;  // the file checked at Open, when m_replacing
    std::string m_tempName;   // in m_place.folder
    std::string m_tempPath;   // the same as a name, for the interrupt cleanup
    int m_fd = -1;
    int m_cleanupSlot = -1;  // the interrupt cleanup entry for m_tempPath
};

// Whether both names lead to one existing file (same device and inode, links
// followed). A save must never land on the job it was drawn from.
bool NamesSameFile(const std::string& first, const std::string& second);
