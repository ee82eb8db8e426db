// A read-only memory map of a file that survives the file shrinking under it.
//
// Reading a mapped page that the file no longer covers (another program
// truncated or rewrote it) raises SIGBUS, which would end the process. A
// process-wide handler, installed with the first mapping, recognises faults
// inside a live mapping, puts zero pages over the rest of that mapping and
// records that it lost pages; the read then goes on and sees zeros. Faults
// anywhere else go to the handler that was there before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class GuardedMapping {
public:
    GuardedMapping() = default;
    GuardedMapping(const GuardedMapping&) = delete;
    GuardedMapping& operator=(const GuardedMapping&) = delete;
    ~GuardedMapping() { Unmap(); }

    // Maps the first size bytes (size > 0) of the open file. On failure
    // returns false with the reason in *error.
    bool Map(int fd, std::size_t size, std::string* error);
    const std::uint8_t* Data() const { return m_data; }
    // True once a read found the file's pages gone: from that page to the
    // end the mapping reads as zeros.
    bool LostPages() const;
    void Unmap();

private:
    const std::uint8_t* m_data = nullptr;
    int m_slot = -1;
};
