// A time limit on a whole run, for callers that wait for the program (a file
// manager's thumbnailer): when it passes, the program says so on stderr and
// ends with status 1, wherever it is, also inside a long system call such as
// mapping a large file. Only one limit is armed at a time.
#pragma once

#include <cstdint>
#include <string>

class TimeLimit {
public:
    // Arms the limit; message (one line) is what stderr then says.
    TimeLimit(std::uint32_t milliseconds, const std::string& message);
    ~TimeLimit();  // disarms it
    TimeLimit(const TimeLimit&) = delete;
    TimeLimit& operator=(const TimeLimit&) = delete;

private:
    void* m_timer = nullptr;  // the system's timer, when one could be made
    bool m_armed = false;
};
