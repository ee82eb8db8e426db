#include "settings/settings_location.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

constexpr const char* kFileName = "Lumikor.ini";

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string Join(const std::string& dir, const std::string& name) {
    return (std::filesystem::path(dir) / name).string();
}

bool IsReadableRegularFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    return std::ifstream(path, std::ios::binary).is_open();
}

}  // namespace

SettingsPlaces SettingsPlacesOfThisProcess() {
    SettingsPlaces places;
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    places.currentDir = error ? std::string(".") : current.string();
    places.configHome = EnvironmentValue("XDG_CONFIG_HOME");
    places.home = EnvironmentValue("HOME");
    places.dataDir = LUMIKOR_INSTALLED_DATA_DIR;
    return places;
}

std::vector<std::string> SettingsFileCandidates(const SettingsPlaces& places) {
    std::vector<std::string> candidates{Join(places.currentDir, kFileName)};
    // A relative config home would depend on the current folder, so the
    // base directory rules treat it as unset.
    std::string configHome = places.configHome;
    if (configHome.empty() || configHome.front() != '/') {
        configHome = places.home.empty() ? std::string() : Join(places.home, ".config");
    }
    if (!configHome.empty()) candidates.push_back(Join(Join(configHome, "lumikor"), kFileName));
    candidates.push_back(Join(places.dataDir, kFileName));
    return candidates;
}

std::string FirstExistingSettingsFile(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        if (IsReadableRegularFile(candidate)) return candidate;
    }
    return std::string();
}

std::string SettingsFilePath() {
    const std::vector<std::string> candidates =
        SettingsFileCandidates(SettingsPlacesOfThisProcess());
    const std::string found = FirstExistingSettingsFile(candidates);
    return found.empty() ? candidates.front() : found;
}
