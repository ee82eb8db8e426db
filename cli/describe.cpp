#include "cli/describe.h"

#include <algorithm>
#include <cstdio>

#include "parser/job_format.h"

std::string PrefixName(std::uint8_t prefix) {
    return prefix == jobformat::kEsc ? "ESC" : std::string(1, char(prefix));
}

std::string CommandName(std::uint8_t prefix, std::uint8_t letter) {
    std::string name = PrefixName(prefix);
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
    const auto end = std::find(state.m_fileName.begin(), state.m_fileName.end(), '\0');
    return Latin1ToUtf8(std::string_view(state.m_fileName.data(), end - state.m_fileName.begin()));
}

namespace {

std::string Bytes(std::uint32_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

}  // namespace

std::string WarningWords(const JobWarning& warning) {
    const std::string at = " at offset " + std::to_string(warning.offset);
    switch (warning.kind) {
        case JobWarningKind::kCutShort:
            if (warning.letter == 0) {
                return PrefixName(warning.prefix) + at + " has no letter: the job ends there, " +
                       Bytes(warning.bytes) + " dropped";
            }
            return "the last command, " + CommandName(warning.prefix, warning.letter) + at +
                   ", is cut short by the end of the job: " + Bytes(warning.bytes) + " dropped";
        case JobWarningKind::kRasterBlockPastEnd:
            return "the raster line " + CommandName(warning.prefix, warning.letter) + at +
                   " has a block of N=" + std::to_string(warning.blockLength) +
                   " bytes that runs past the end of the job: " + Bytes(warning.bytes) + " dropped";
        case JobWarningKind::kNoTrailer:
            return "the job has no trailer (ESC 'B' 'Y' 'E'); it ends at offset " +
                   std::to_string(warning.offset);
        case JobWarningKind::kBytesAfterTrailer:
            return Bytes(warning.bytes) + " follow the final trailer, from offset " +
                   std::to_string(warning.offset);
    }
    return {};
}

void WriteWarnings(const std::string& path, const std::vector<JobWarning>& warnings,
                   std::ostream& err) {
    for (const JobWarning& warning : warnings) {
        err << "lumikor-cli: warning: '" << path << "': " << WarningWords(warning) << '\n';
    }
}

const char* WarningKindName(JobWarningKind kind) {
    switch (kind) {
        case JobWarningKind::kCutShort:
            return "cutShort";
        case JobWarningKind::kRasterBlockPastEnd:
            return "rasterBlockPastEnd";
        case JobWarningKind::kNoTrailer:
            return "noTrailer";
        case JobWarningKind::kBytesAfterTrailer:
            return "bytesAfterTrailer";
    }
    return "";
}
