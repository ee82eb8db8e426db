#include "cli/describe.h"

#include <algorithm>
#include <cstdio>

#include "parser/job_format.h"

std::string CommandName(std::uint8_t prefix, std::uint8_t letter) {
    std::string name = prefix == jobformat::kEsc ? "ESC" : std::string(1, char(prefix));
    if (letter >= 0x21 && letter <= 0x7E) {
        return name + " '" + char(letter) + "'";
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, " 0x%02X", letter);
    return name + hex;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string utf8;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::string FileNameUtf8(const ParserState& state) {
    const auto end = std::find(state.fileName.begin(), state.fileName.end(), '\0');
    return Latin1ToUtf8(std::string_view(state.fileName.data(), end - state.fileName.begin()));
}
