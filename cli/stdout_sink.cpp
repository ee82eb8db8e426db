#include "cli/stdout_sink.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/cli_app.h"

namespace {

[[noreturn]] void GiveUp(int reason) {
    const std::string message =
        std::string("lumikor-cli: cannot write the output: ") + std::strerror(reason) + '\n';
    (void)::write(STDERR_FILENO, message.data(), message.size());
    ::_exit(kExitCannotWrite);
}

}  // namespace

StdoutSink::StdoutSink() { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }

StdoutSink::~StdoutSink() { Drain(); }

void StdoutSink::WriteOut(const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) GiveUp(written < 0 ? errno : EIO);
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void StdoutSink::Drain() {
    WriteOut(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

StdoutSink::int_type StdoutSink::overflow(int_type ch) {
    Drain();
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

std::streamsize StdoutSink::xsputn(const char* text, std::streamsize count) {
    const auto size = static_cast<std::size_t>(count);
    if (size <= static_cast<std::size_t>(epptr() - pptr())) {
        std::memcpy(pptr(), text, size);
        pbump(static_cast<int>(count));
        return count;
    }
    // Larger than the room left: what is buffered goes first, then this.
    Drain();
    WriteOut(text, size);
    return count;
}

int StdoutSink::sync() {
    Drain();
    return 0;
}
