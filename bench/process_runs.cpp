#include "bench/process_runs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace {

// The memory figures of a live process, in KiB; false once it is gone.
bool ReadMemory(pid_t pid, std::uint64_t& residentPeakKiB, std::uint64_t& anonKiB) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[4096];
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    if (got <= 0) return false;
    text[got] = '\0';
    const auto field = [&](const char* name, std::uint64_t& kib) {
        const char* at = std::strstr(text, name);
        unsigned long long value = 0;
        if (at == nullptr || std::sscanf(at + std::strlen(name), "%llu", &value) != 1) return false;
        kib = value;
        return true;
    };
    // A zombie has neither field.
    return field("VmHWM:", residentPeakKiB) && field("RssAnon:", anonKiB);
}

}  // namespace

ProcessRun RunProcess(const std::vector<std::string>& argv, bool sample, int highestOk) {
    ProcessRun run;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.failure = "cannot start " + argv[0] + ": " + std::strerror(spawned);
        return run;
    }

    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, sample ? WNOHANG : 0, &usage);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) {
            run.failure = std::string("wait failed: ") + std::strerror(errno);
            return run;
        }
        std::uint64_t resident = 0;
        std::uint64_t anon = 0;
        if (sample && ReadMemory(pid, resident, anon)) {
            run.peakResidentKiB = std::max(run.peakResidentKiB, resident);
            run.peakAnonKiB = std::max(run.peakAnonKiB, anon);
        }
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) <= highestOk;
    if (!run.ok)
        run.failure = argv[0] + " failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    return run;
}
