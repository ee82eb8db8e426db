#include "cli/time_limit.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "cli/cli_app.h"

namespace {

// The handler may only write and exit, so the message is ready beforehand.
std::array<char, 512> g_message{};
std::size_t g_messageSize = 0;
struct sigaction g_previous {};

void OnTimeUp(int /*signal*/) {
    (void)::write(STDERR_FILENO, g_message.data(), g_messageSize);
    ::_exit(kExitCannotRead);
}

itimerval After(std::uint32_t milliseconds) {
    itimerval timer{};
    timer.it_value.tv_sec = static_cast<time_t>(milliseconds / 1000);
    timer.it_value.tv_usec = static_cast<suseconds_t>(milliseconds % 1000) * 1000;
    return timer;
}

}  // namespace

TimeLimit::TimeLimit(std::uint32_t milliseconds, const std::string& message) {
    g_messageSize = std::min(message.size(), g_message.size() - 1);
    std::memcpy(g_message.data(), message.data(), g_messageSize);
    g_message[g_messageSize++] = '\n';
    struct sigaction action {};
    action.sa_handler = OnTimeUp;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, &g_previous);
    const itimerval timer = After(std::max<std::uint32_t>(milliseconds, 1));
    ::setitimer(ITIMER_REAL, &timer, nullptr);
}

TimeLimit::~TimeLimit() {
    const itimerval off = After(0);
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &g_previous, nullptr);
}
