#include "cli/models_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace {

std::string ListModels(const std::string& iniPath, bool json) {
    std::ostringstream out;
    EXPECT_EQ(RunModels(ModelsOptions{iniPath, json}, out), 0);
    return out.str();
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
