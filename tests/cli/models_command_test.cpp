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

TEST(ModelsCommandTest, MissingFileListsNothing) {
    EXPECT_EQ(ListModels("/nonexistent/Lumikor.ini", false), "");
    EXPECT_EQ(nlohmann::json::parse(ListModels("/nonexistent/Lumikor.ini", true)),
              nlohmann::json::array());
}

TEST(ModelsCommandTest, WithoutIniTheFirstFileOfTheLookupIsReadAndNamed) {
    const TempDir dir;
    const std::filesystem::path root = dir.Path();
    for (const char* sub : {"jobs", "cfg/lumikor", "data"}) {
        std::filesystem::create_directories(root / sub);
    }
    const SettingsPlaces places{(root / "jobs").string(), (root / "cfg").string(), "",
                                (root / "data").string()};

    Listing listing = ListModelsFound(places);
    EXPECT_EQ(listing.out, "");
    EXPECT_EQ(listing.err, "lumikor-cli models: no settings file at '" + places.currentDir +
                               "/Lumikor.ini', '" + places.configHome + "/lumikor/Lumikor.ini', '" +
                               places.dataDir + "/Lumikor.ini'; no models\n");

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
    EXPECT_EQ(RunModels(ModelsOptions{"/nonexistent/my.ini", true}, places, out, err), 0);
    EXPECT_EQ(err.str(),
              "lumikor-cli models: no settings file at '/nonexistent/my.ini'; no models\n");
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
