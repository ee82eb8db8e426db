// A time limit on a whole run, for callers that wait for the program (a file
// manager's thumbnailer): when it passes, the program says so on stderr and
// ends with status 1, wherever it is. Only one limit is armed at a time.
#pragma once

#include <cstdint>
#include <string>

class TimeLimit {
public:
    // Arms the limit; message (one line) is what stderr then says.
    TimeLimit(std::uint32_t milliseconds, const std::string& message);
    ~TimeLimit();  // disarms it and restores the previous SIGALRM action
    TimeLimit(const TimeLimit&) = delete;
    TimeLimit& operator=(const TimeLimit&) = delete;
};
