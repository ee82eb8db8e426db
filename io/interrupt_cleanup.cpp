#include "io/interrupt_cleanup.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

#include <signal.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// The handler reads these without locking: a path is complete before its
// entry is armed, and is not rewritten while armed.
struct Entry {
    std::atomic<bool> armed{false};
    bool taken = false;  // guarded by g_mutex
    char path[PATH_MAX];
};

// Saves are few at a time; the table is fixed so the handler needs no memory.
std::array<Entry, 8> g_entries;
std::mutex g_mutex;
int g_taken = 0;  // guarded by g_mutex
std::array<bool, kSignals.size()> g_installed{};

void RemoveAndReraise(int signalNumber) {
    const int savedErrno = errno;
    for (Entry& entry : g_entries) {
        if (entry.armed.load(std::memory_order_acquire)) ::unlink(entry.path);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signalNumber, &fallback, nullptr);
    errno = savedErrno;
    // Blocked until this handler returns; then the default action ends the
    // process with the status the signal would have given anyway.
    ::raise(signalNumber);
}

void InstallHandlers() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        if (::sigaction(kSignals[i], nullptr, &current) != 0) continue;
        const bool isDefault =
            (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL;
        if (!isDefault) continue;
        struct sigaction ours {};
        ours.sa_handler = RemoveAndReraise;
        ::sigemptyset(&ours.sa_mask);
        for (const int other : kSignals) ::sigaddset(&ours.sa_mask, other);
        g_installed[i] = ::sigaction(kSignals[i], &ours, nullptr) == 0;
    }
}

void RestoreHandlers() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (!g_installed[i]) continue;
        g_installed[i] = false;
        struct sigaction current {};
        if (::sigaction(kSignals[i], nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != RemoveAndReraise) {
            continue;  // replaced by someone else since: theirs stays
        }
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        ::sigemptyset(&fallback.sa_mask);
        ::sigaction(kSignals[i], &fallback, nullptr);
    }
}

}  // namespace

int RegisterInterruptCleanup(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= PATH_MAX) return -1;
    const std::lock_guard<std::mutex> lock(g_mutex);
    for (std::size_t i = 0; i < g_entries.size(); ++i) {
        Entry& entry = g_entries[i];
        if (entry.taken) continue;
        entry.taken = true;
        std::memcpy(entry.path, path, length + 1);
        entry.armed.store(true, std::memory_order_release);
        if (g_taken++ == 0) InstallHandlers();
        return static_cast<int>(i);
    }
    return -1;
}

void ReleaseInterruptCleanup(int entry) {
    if (entry < 0 || entry >= static_cast<int>(g_entries.size())) return;
    const std::lock_guard<std::mutex> lock(g_mutex);
    Entry& slot = g_entries[static_cast<std::size_t>(entry)];
    if (!slot.taken) return;
    slot.armed.store(false, std::memory_order_release);
    slot.taken = false;
    if (--g_taken == 0) RestoreHandlers();
}
