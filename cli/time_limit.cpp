#include "cli/time_limit.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "cli/cli_app.h"

namespace {

// The timer's own thread ends the process: a signal would wait until the
// main thread leaves the kernel, and populating a mapping of gigabytes can
// take seconds; ending the process interrupts it at once.
enum State : int { kArmed, kFired, kDisarmed };
std::atomic<int> g_state{kDisarmed};
std::array<char, 512> g_message{};
std::size_t g_messageSize = 0;

void OnTimeUp(sigval /*unused*/) {
    int armed = kArmed;
    if (!g_state.compare_exchange_strong(armed, kFired)) return;  // disarmed just now
    (void)::write(STDERR_FILENO, g_message.data(), g_messageSize);
    ::_exit(kExitCannotRead);
}

}  // namespace

TimeLimit::TimeLimit(std::uint32_t milliseconds, const std::string& message) {
    g_messageSize = std::min(message.size(), g_message.size() - 1);
    std::memcpy(g_message.data(), message.data(), g_messageSize);
    g_message[g_messageSize++] = '\n';
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD;
    event.sigev_notify_function = OnTimeUp;
    timer_t timer{};
    // Without a timer (no threads left to the process) the run goes on
    // without a limit rather than failing.
    if (::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0) return;
    m_timer = timer;
    g_state.store(kArmed);
    itimerspec when{};
    const std::uint32_t total = std::max<std::uint32_t>(milliseconds, 1);
    when.it_value.tv_sec = static_cast<time_t>(total / 1000);
    when.it_value.tv_nsec = static_cast<long>(total % 1000) * 1000000L;
    m_armed = ::timer_settime(timer, 0, &when, nullptr) == 0;
}

TimeLimit::~TimeLimit() {
    if (m_timer == nullptr) return;
    int armed = kArmed;
    if (m_armed && !g_state.compare_exchange_strong(armed, kDisarmed)) {
        // It fired: the process is ending in the timer's thread.
        for (;;) ::pause();
    }
    g_state.store(kDisarmed);
    ::timer_delete(static_cast<timer_t>(m_timer));
}
