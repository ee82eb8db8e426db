// Standard output of lumikor-cli. A write that fails (a closed pipe, a full
// disk) ends the program at once with the system's reason and status 1:
// carrying on would spend the rest of a long run on output nobody reads, and
// the next write would fail anyway. A program that ignores SIGPIPE gets
// "Broken pipe" this way instead of running to the end.
#pragma once

#include <array>
#include <streambuf>

class StdoutSink : public std::streambuf {
public:
    StdoutSink();
    ~StdoutSink() override;
    StdoutSink(const StdoutSink&) = delete;
    StdoutSink& operator=(const StdoutSink&) = delete;

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void WriteOut(const char* bytes, std::size_t size);
    void Drain();

    std::array<char, 1 << 16> m_buffer{};
};
