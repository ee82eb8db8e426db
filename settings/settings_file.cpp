#include "settings/settings_file.h"

#include "io/file_prefix.h"
#include "settings/leading_int.h"

namespace {

std::string_view Trim(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\v\f";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string Fold(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

// Through the io reader: it reads regular files only, so a folder, a pipe or
// a device in the settings file's place reads as missing instead of blocking.
std::string SettingsFile::ReadText(const std::string& path) {
    std::string text;
    bool cut = false;
    if (!ReadFilePrefix(path.c_str(), kMaxSettingsBytes, &text, &cut)) return {};
    // A line cut short could pass a wrong value on as if it were whole.
    if (cut) {
        const std::size_t lastEnd = text.rfind('\n');
        text.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    return text;
}

SettingsFile SettingsFile::FromText(std::string_view text) { return Parse(text, nullptr); }

SettingsFile SettingsFile::FromText(std::string_view text,
                                    const std::vector<std::string>& sections) {
    std::set<std::string> wanted;
    for (const std::string& name : sections) wanted.insert(Fold(name));
    return Parse(text, &wanted);
}

SettingsFile SettingsFile::Parse(std::string_view text, const std::set<std::string>* wanted) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());

    SettingsFile file;
    Section* current = nullptr;  // null: outside any kept section, or in a repeated one
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            std::string name = Fold(Trim(line.substr(1, line.rfind(']') - 1)));
            current = nullptr;
            if (wanted != nullptr && wanted->count(name) == 0) continue;
            auto [it, inserted] = file.m_sections.try_emplace(std::move(name));
            if (inserted) current = &it->second;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, equals));
        if (key.empty()) continue;
        current->try_emplace(Fold(key), Unquote(Trim(line.substr(equals + 1))));
    }
    return file;
}

const std::string* SettingsFile::Find(std::string_view section, std::string_view key) const {
    const auto sectionIt = m_sections.find(Fold(section));
    if (sectionIt == m_sections.end()) return nullptr;
    const auto keyIt = sectionIt->second.find(Fold(key));
    return keyIt == sectionIt->second.end() ? nullptr : &keyIt->second;
}

std::string SettingsFile::GetString(std::string_view section, std::string_view key,
                                    std::string_view fallback, std::size_t maxLength) const {
    const std::string* value = Find(section, key);
    const std::string_view text = value != nullptr ? std::string_view(*value) : fallback;
    return std::string(text.substr(0, maxLength));
}

std::int32_t SettingsFile::GetInt(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
    const std::string* value = Find(section, key);
    return value == nullptr || value->empty() ? fallback : ParseLeadingInt(*value);
}

std::vector<std::string> SettingsFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const auto sectionIt = m_sections.find(Fold(section));
    if (sectionIt == m_sections.end()) return keys;
    for (const auto& entry : sectionIt->second) keys.push_back(entry.first);
    return keys;
}
