#include "cli/models_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace {

// Places where no settings file is.
const SettingsPlaces kNowhere{"/nonexistent/jobs", "/nonexistent/cfg", "", "/nonexistent/data"};

std::string ListModels(const std::string& iniPath, bool json) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunModels(ModelsOptions{iniPath, json}, kNowhere, out, err), 0);
    return out.str();
}

struct Listing {
    std::string out;
    std::string err;
};

Listing ListModelsFound(const SettingsPlaces& places) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunModels(ModelsOptions{}, places, out, err), 0);
    return {out.str(), err.str()};
}

TEST(ModelsCommandTest, ListsTheModelsInOrderAsTextAndJson) {
    const TempDir dir;
    const std::string ini = dir.Write("Lumikor.ini",
                                      "[MODEL_LIST]\nNo=3\nItem_1=Desk 400\nItem_3=Spare\n"
                                      "[Desk 400]\nWidth=400\nHeight=300\nResolution=500\n");
    EXPECT_EQ(ListModels(ini, false),
              "Desk 400: 400 x 300 mm, 500 dpi\nSpare: 1000 x 600 mm, 1000 dpi\n");

    const nlohmann::json list = nlohmann::json::parse(ListModels(ini, true));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (nlohmann::json{{"name", "Desk 400"},
                                       {"width", 400},
                                       {"height", 300},
                                       {"resolution", 500},
                                       {"resolutionY", 500}}));
    EXPECT_EQ(list[1]["name"], "Spare");
    EXPECT_EQ(list[1]["resolutionY"], 1000);
}

TEST(ModelsCommandTest, NoSettingsFileIsAnErrorThatSaysWhatStandsThere) {
    const TempDir dir;
    const std::string folder = (dir.Path() / "folder.ini").string();
    std::filesystem::create_directory(folder);
    const std::string binary =
        dir.Write("binary.ini", std::string("[MODEL_LIST]\nNo=1\0\x89PNG", 20));
    for (const auto& [ini, said] :
         {std::pair<std::string, std::string>{"/nonexistent/Lumikor.ini",
                                              "no settings file: '/nonexistent/Lumikor.ini' "
                                              "not found; no models"},
          {folder, "no settings file: '" + folder + "' is a directory; no models"},
          {"/dev/null", "no settings file: '/dev/null' is not a regular file; no models"},
          {binary, "'" + binary + "' is a binary file, not a settings file; no models"}}) {
        for (const bool json : {false, true}) {
            std::ostringstream out;
            std::ostringstream err;
            EXPECT_EQ(RunModels(ModelsOptions{ini, json}, kNowhere, out, err), kExitNoSettings);
            EXPECT_EQ(out.str(), "") << ini;
            EXPECT_EQ(err.str(), "lumikor-cli models: " + said + "\n");
        }
    }
}

TEST(ModelsCommandTest, WithoutIniTheFirstFileOfTheLookupIsReadAndNamed) {
    const TempDir dir;
    const std::filesystem::path root = dir.Path();
    for (const char* sub : {"jobs", "cfg/lumikor", "data"}) {
        std::filesystem::create_directories(root / sub);
    }
    const SettingsPlaces places{(root / "jobs").string(), (root / "cfg").string(), "",
                                (root / "data").string()};

    std::filesystem::create_directory(root / "jobs/Lumikor.ini");
    std::ostringstream none;
    std::ostringstream noneSaid;
    EXPECT_EQ(RunModels(ModelsOptions{}, places, none, noneSaid), kExitNoSettings);
    EXPECT_EQ(none.str(), "");
    EXPECT_EQ(noneSaid.str(), "lumikor-cli models: no settings file: '" + places.currentDir +
                                  "/Lumikor.ini' is a directory, '" + places.configHome +
                                  "/lumikor/Lumikor.ini' not found, '" + places.dataDir +
                                  "/Lumikor.ini' not found; no models\n");

    Listing listing;

    const std::string installed =
        dir.Write("data/Lumikor.ini", "[MODEL_LIST]\nNo=1\nItem_1=Installed\n");
    listing = ListModelsFound(places);
    EXPECT_EQ(listing.out, "Installed: 1000 x 600 mm, 1000 dpi\n");
    EXPECT_EQ(listing.err, "lumikor-cli models: reading '" + installed + "'\n");

    const std::string user =
        dir.Write("cfg/lumikor/Lumikor.ini", "[MODEL_LIST]\nNo=1\nItem_1=Mine\n");
    listing = ListModelsFound(places);
    EXPECT_EQ(listing.out, "Mine: 1000 x 600 mm, 1000 dpi\n");
    EXPECT_EQ(listing.err, "lumikor-cli models: reading '" + user + "'\n");

    // --ini names the file outright, even when it is missing.
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunModels(ModelsOptions{installed, false}, places, out, err), 0);
    EXPECT_EQ(out.str(), "Installed: 1000 x 600 mm, 1000 dpi\n");
    err.str("");
    EXPECT_EQ(RunModels(ModelsOptions{"/nonexistent/my.ini", true}, places, out, err),
              kExitNoSettings);
    EXPECT_EQ(err.str(),
              "lumikor-cli models: no settings file: '/nonexistent/my.ini' not found; no models\n");
}

TEST(ModelsCommandTest, NameThatIsNotUtf8StillGivesValidJson) {
    const TempDir dir;
    const std::string ini = dir.Write("Lumikor.ini",
                                      "[MODEL_LIST]\nNo=1\nItem_1=A\xFF"
                                      "B\n");
    const nlohmann::json list = nlohmann::json::parse(ListModels(ini, true));
    EXPECT_EQ(list[0]["name"],
              "A\xEF\xBF\xBD"
              "B");
}

}  // namespace
