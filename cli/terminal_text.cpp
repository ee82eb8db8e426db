#include "cli/terminal_text.h"

#include <cstdint>

namespace {

bool IsControl(std::uint32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

void AppendEscape(std::string& out, std::uint32_t value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[(value >> 4) & 0xF];
    out += kHex[value & 0xF];
}

// The length of the well-formed UTF-8 sequence at the start of text (which
// is not empty) and its code point, or 0 for a byte that starts none.
std::size_t DecodeOne(std::string_view text, std::uint32_t* codePoint) {
    const auto lead = static_cast<std::uint8_t>(text[0]);
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t smallest = 0;  // below this the sequence is overlong
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[i]);
        if ((next & 0xC0) != 0x80) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *codePoint = value;
    return length;
}

}  // namespace

std::string TerminalText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = DecodeOne(utf8, &codePoint);
        if (length == 0) {
            AppendEscape(out, static_cast<std::uint8_t>(utf8[0]));
            utf8.remove_prefix(1);
            continue;
        }
        if (IsControl(codePoint)) {
            AppendEscape(out, codePoint);
        } else {
            out.append(utf8.substr(0, length));
        }
        utf8.remove_prefix(length);
    }
    return out;
}

std::string TerminalLines(std::string_view utf8) {
    std::string out;
    while (!utf8.empty()) {
        const std::size_t end = utf8.find('\n');
        out += TerminalText(utf8.substr(0, end));
        if (end == std::string_view::npos) break;
        out += '\n';
        utf8.remove_prefix(end + 1);
    }
    return out;
}
