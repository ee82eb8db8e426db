// The two text rules: the number an edit box's text reads as, and the bitmap
// name made from a job path. The input up to its first zero byte is the text
// or path, the rest the extension. Both are checked against what they must
// give, not only for crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "display/job_display.h"
#include "settings/leading_int.h"

namespace {

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The leading-integer rule written the slow, obvious way, to compare with.
std::int32_t ReferenceLeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    long double value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1e12L) value = 1e12L;  // far past the 32-bit range either way
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

void CheckWindowInt(std::string_view text) {
    if (ParseLeadingInt(text) != ReferenceLeadingInt(text)) std::abort();
    if (WindowTextToInt(text) != ReferenceLeadingInt(text.substr(0, kWindowTextLimit))) {
        std::abort();
    }
}

// The extension starts after the first '.' of the last path component that
// is not its first character; "." and ".." have none. The result is the path
// up to that '.' followed by ext; without one, the path stays as it is.
void CheckReplaceExtension(const std::string& path, const char* ext) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find('.', nameStart + 1);
    const bool hasExtension = dot != std::string::npos && path.substr(nameStart) != "..";
    std::string result = path;
    const int replaced = ReplaceExtension(&result, ext);
    const std::string expected = hasExtension ? path.substr(0, dot + 1) + ext : path;
    if (replaced != (hasExtension ? 1 : 0) || result != expected) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = input.find('\0');
    const std::string_view first = input.substr(0, zero);
    const std::string ext(zero == std::string_view::npos ? std::string_view()
                                                         : input.substr(zero + 1));

    CheckWindowInt(input);
    CheckWindowInt(first);
    CheckReplaceExtension(std::string(first), ext.c_str());
    return 0;
}
