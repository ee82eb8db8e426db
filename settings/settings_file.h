// A reader for the settings file, a private-profile text file: "[section]"
// lines open sections, "key=value" lines hold entries. Written by hand
// because the model list relies on that format's own rules (names compared
// without regard to case, a missing file, section or key giving the caller's
// default), which no library available here follows.
//
// Where the format leaves things open, this reader decides:
// - White space around section names, keys and values is trimmed.
// - A line whose first non-blank character is ';' or '#' is a comment; a ';'
//   inside a value is part of the value.
// - The first section of a name wins (later sections of that name are
//   skipped whole), and within it the first entry of a key wins.
// - Entries before the first section, lines without '=', and entries with an
//   empty key belong nowhere and are ignored. A section name runs to the
//   last ']' of its line, so names may hold brackets; without any ']' it is
//   the rest of the line.
// - A value enclosed in a matching pair of double or single quotation marks
//   loses them.
// - Numbers follow leading-integer rules (ParseLeadingInt); an empty value
//   counts as missing.
// - Lines end in LF or CRLF; a UTF-8 byte order mark at the start is skipped.
// - Only the first kMaxSettingsBytes of a file are read, without the line
//   that limit cuts through: a settings file is a few kilobytes, and a huge
//   one must not take the program's time and memory.
// - Section and key names match ASCII letters without regard to case; other
//   bytes must match exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxSettingsBytes = std::size_t{1} << 20;

class SettingsFile {
public:
    // The file's text as far as it is read (see above). A file that cannot
    // be read reads as empty, so every lookup gives its default.
    static std::string ReadText(const std::string& path);

    static SettingsFile FromText(std::string_view text);
    // Keeps only the named sections (matched as lookups match them); the
    // others cost nothing however many the text holds.
    static SettingsFile FromText(std::string_view text, const std::vector<std::string>& sections);

    // The value of key in section, cut to at most maxLength bytes, or
    // fallback (cut likewise) when the section or key is missing.
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t maxLength) const;

    // The value read as a number, or fallback when the section or key is
    // missing or its value is empty.
    std::int32_t GetInt(std::string_view section, std::string_view key,
                        std::int32_t fallback) const;

    // The keys of a section, folded to lower case, in byte order.
    std::vector<std::string> Keys(std::string_view section) const;

private:
    using Section = std::map<std::string, std::string>;  // folded key -> value

    const std::string* Find(std::string_view section, std::string_view key) const;
    // With wanted null every section is kept.
    static SettingsFile Parse(std::string_view text, const std::set<std::string>* wanted);

    std::map<std::string, Section> m_sections;  // folded section name -> entries
};
