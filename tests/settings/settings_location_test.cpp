#include "settings/settings_location.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

using Strings = std::vector<std::string>;

TEST(SettingsLocationTest, CandidatesFollowTheBaseDirectoryRules) {
    SettingsPlaces places{"/jobs", "/cfg", "/home/u", "/usr/share/lumikor"};
    EXPECT_EQ(SettingsFileCandidates(places),
              (Strings{"/jobs/Lumikor.ini", "/cfg/lumikor/Lumikor.ini",
                       "/usr/share/lumikor/Lumikor.ini"}));

    // An unset or relative config home stands for ~/.config.
    for (const char* configHome : {"", "relative/cfg"}) {
        SCOPED_TRACE(configHome);
        places.configHome = configHome;
        EXPECT_EQ(SettingsFileCandidates(places)[1], "/home/u/.config/lumikor/Lumikor.ini");
    }

    // Without a home there is no user file to look for.
    places.home = "";
    EXPECT_EQ(SettingsFileCandidates(places),
              (Strings{"/jobs/Lumikor.ini", "/usr/share/lumikor/Lumikor.ini"}));
}

TEST(SettingsLocationTest, FirstExistingFileWinsAndOthersThanFilesArePassedOver) {
    const TempDir dir;
    const std::filesystem::path root = dir.Path();
    for (const char* sub : {"jobs", "cfg/lumikor", "data"}) {
        std::filesystem::create_directories(root / sub);
    }
    const Strings candidates = SettingsFileCandidates(
        {(root / "jobs").string(), (root / "cfg").string(), "", (root / "data").string()});
    ASSERT_EQ(candidates.size(), 3u);

    EXPECT_EQ(FirstExistingSettingsFile(candidates), "");
    dir.Write("data/Lumikor.ini", "[MODEL_LIST]\n");
    EXPECT_EQ(FirstExistingSettingsFile(candidates), candidates[2]);
    dir.Write("cfg/lumikor/Lumikor.ini", "");  // empty, but it exists
    EXPECT_EQ(FirstExistingSettingsFile(candidates), candidates[1]);

    // A folder of that name in the job folder is not a settings file.
    std::filesystem::create_directory(root / "jobs/Lumikor.ini");
    EXPECT_EQ(FirstExistingSettingsFile(candidates), candidates[1]);
    std::filesystem::remove(root / "jobs/Lumikor.ini");
    dir.Write("jobs/Lumikor.ini", "");
    EXPECT_EQ(FirstExistingSettingsFile(candidates), candidates[0]);
}

// The process's own places: its current folder and $XDG_CONFIG_HOME.
TEST(SettingsLocationTest, ThisProcessReadsItsFolderThenItsConfigHome) {
    const TempDir dir;
    const std::filesystem::path root = dir.Path();
    std::filesystem::create_directories(root / "jobs");
    std::filesystem::create_directories(root / "cfg/lumikor");
    const std::filesystem::path before = std::filesystem::current_path();
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedConfig = oldConfig != nullptr ? oldConfig : "";
    std::filesystem::current_path(root / "jobs");
    setenv("XDG_CONFIG_HOME", (root / "cfg").c_str(), 1);

    const std::string installed = SettingsPlacesOfThisProcess().dataDir + "/Lumikor.ini";
    const std::string nothing = SettingsFilePath();
    const std::string user = dir.Write("cfg/lumikor/Lumikor.ini", "");
    const std::string withUser = SettingsFilePath();
    const std::string local = dir.Write("jobs/Lumikor.ini", "");
    const std::string withLocal = SettingsFilePath();

    std::filesystem::current_path(before);
    if (oldConfig != nullptr) {
        setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    // With no file anywhere the dialog still names the one in its folder.
    if (!std::filesystem::exists(installed)) {
        EXPECT_EQ(nothing, local);
    }
    EXPECT_EQ(withUser, user);
    EXPECT_EQ(withLocal, local);
}

}  // namespace
