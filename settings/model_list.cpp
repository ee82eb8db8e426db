#include "settings/model_list.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>

#include "settings/settings_file.h"

namespace {

constexpr std::string_view kListSection = "MODEL_LIST";
constexpr std::string_view kItemPrefix = "item_";  // keys come back folded
// Room for the name and its terminating zero in ModelInfo.
constexpr std::size_t kMaxModelName = std::tuple_size_v<decltype(ModelInfo::name)> - 1;

// The item number of a folded key that "Item_%d" formats for some number in
// 1..count, or 0 for any other key.
std::int64_t ItemNumber(std::string_view key, std::int32_t count) {
    if (key.substr(0, kItemPrefix.size()) != kItemPrefix) return 0;
    const std::string_view digits = key.substr(kItemPrefix.size());
    if (digits.empty() || digits.size() > 10 || digits.front() == '0') return 0;
    std::int64_t number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + (c - '0');
    }
    return number <= count ? number : 0;
}

}  // namespace

// Asking for Item_1 .. Item_No one by one would take minutes for a "No" near
// 2^31; visiting the keys the section really holds, in item order, lists the
// same models in the same order.
void LoadModelList(const std::string& iniPath, std::vector<ModelInfo>* models) {
    const std::string text = SettingsFile::ReadText(iniPath);
    const SettingsFile list = SettingsFile::FromText(text, {std::string(kListSection)});
    const std::int32_t count = list.GetInt(kListSection, "No", 0);
    std::vector<std::pair<std::int64_t, std::string>> items;
    for (std::string& key : list.Keys(kListSection)) {
        const std::int64_t number = ItemNumber(key, count);
        if (number > 0) items.emplace_back(number, std::move(key));
    }
    std::sort(items.begin(), items.end());

    std::vector<std::string> names;
    for (const auto& item : items) {
        std::string name = list.GetString(kListSection, item.second, "", kMaxModelName);
        // The name is zero-terminated text wherever it goes next, so a zero
        // byte in the file ends it here too, before the empty-name test.
        name.resize(std::strlen(name.c_str()));
        if (!name.empty()) names.push_back(std::move(name));
    }
    // Only the listed models' sections are kept from the text.
    const SettingsFile sections = SettingsFile::FromText(text, names);
    for (const std::string& name : names) {
        ModelInfo model;
        std::copy(name.begin(), name.end(), model.name.begin());
        model.width = sections.GetInt(name, "Width", 1000);
        model.height = sections.GetInt(name, "Height", 600);
        model.resolution = sections.GetInt(name, "Resolution", 1000);
        model.resolutionY = model.resolution;
        models->push_back(model);
    }
}
