#include "io/guarded_mapping.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

// The live mappings, read by the signal handler. A fixed table of atomics,
// because a handler may neither lock nor allocate; a process holds one or two
// jobs at a time, so a few slots are plenty.
struct Slot {
    std::atomic<bool> claimed{false};
    std::atomic<std::uintptr_t> begin{0};  // 0 while the slot is not published
    std::atomic<std::size_t> length{0};    // whole pages
    std::atomic<bool> lostPages{false};
};

constexpr int kSlots = 32;
Slot g_slots[kSlots];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};

bool IsDefaultOrIgnored(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) == 0 &&
           (action.sa_handler == SIG_DFL || action.sa_handler == SIG_IGN);
}

// A fault that is not ours: what would have happened without this handler.
void PassOn(int signal, siginfo_t* info, void* context) {
    if ((g_previous.sa_flags & SA_SIGINFO) != 0) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (!IsDefaultOrIgnored(g_previous)) {
        g_previous.sa_handler(signal);
        return;
    }
    // Back to the default action: a fault repeats when the handler returns
    // and ends the process as it would have; a sent signal is sent again.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGBUS, &fallback, nullptr);
    if (info->si_code <= 0) raise(signal);
}

// Only a kernel-raised fault (si_code > 0) carries a meaningful address.
bool ZeroTheRest(const siginfo_t* info) {
    if (info->si_code <= 0) return false;
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : g_slots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        if (begin == 0 || address < begin) continue;
        const std::size_t length = slot.length.load(std::memory_order_relaxed);
        if (address - begin >= length) continue;
        // Everything from the lost page on: a shrunk file has lost all of it,
        // and one replacement spares a fault per page.
        const std::uintptr_t page = address & ~(g_pageSize - 1);
        void* zeros = mmap(reinterpret_cast<void*>(page), begin + length - page, PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED) return false;
        slot.lostPages.store(true, std::memory_order_relaxed);
        return true;
    }
    return false;
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    if (!ZeroTheRest(info)) PassOn(signal, info, context);
    errno = savedErrno;
}

// 0, or the errno of a failed install; installed once, on first use, so that
// a handler set up earlier (a sanitizer's) is the one that faults pass on to.
int InstallHandler() {
    static const int result = [] {
        g_pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGBUS, &action, &g_previous) == 0 ? 0 : errno;
    }();
    return result;
}

int ClaimSlot() {
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_slots[i].claimed.compare_exchange_strong(expected, true)) return i;
    }
    return -1;
}

void FreeSlot(int slot) {
    Slot& s = g_slots[slot];
    const auto begin = s.begin.exchange(0, std::memory_order_acq_rel);
    munmap(reinterpret_cast<void*>(begin), s.length.load(std::memory_order_relaxed));
    s.claimed.store(false, std::memory_order_release);
}

bool Fail(int errorNumber, std::string* error) {
    if (error != nullptr) *error = std::strerror(errorNumber);
    return false;
}

}  // namespace

bool GuardedMapping::Map(int fd, std::size_t size, std::string* error) {
    Unmap();
    if (const int failed = InstallHandler(); failed != 0) return Fail(failed, error);
    const int slot = ClaimSlot();
    if (slot < 0) {
        if (error != nullptr) *error = "too many job files open at once";
        return false;
    }
    // The whole job is read front to back: populating the page table in one
    // call saves a fault per page.
    void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (data == MAP_FAILED) {
        const int reason = errno;
        g_slots[slot].claimed.store(false, std::memory_order_release);
        return Fail(reason, error);
    }
    Slot& s = g_slots[slot];
    s.lostPages.store(false, std::memory_order_relaxed);
    s.length.store((size + g_pageSize - 1) & ~(g_pageSize - 1), std::memory_order_relaxed);
    s.begin.store(reinterpret_cast<std::uintptr_t>(data), std::memory_order_release);
    m_data = static_cast<const std::uint8_t*>(data);
    m_slot = slot;
    return true;
}

bool GuardedMapping::LostPages() const {
    return m_slot >= 0 && g_slots[m_slot].lostPages.load(std::memory_order_relaxed);
}

void GuardedMapping::Unmap() {
    if (m_slot >= 0) FreeSlot(m_slot);
    m_data = nullptr;
    m_slot = -1;
}
