// Settings files the fuzzer found faults with, replayed from inputs/, and
// the rule each one broke written out small.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/model_list.h"
#include "tests/support/temp_dir.h"

namespace {

const std::filesystem::path kInputs = std::filesystem::path(LUMIKOR_FINDINGS_DIR) / "settings";

std::vector<ModelInfo> LoadText(const std::string& text) {
    const TempDir dir;
    std::vector<ModelInfo> models;
    LoadModelList(dir.Write("Lumikor.ini", text), &models);
    return models;
}

// A name that the file holds with a zero byte in it used to be listed whole:
// the record showed an empty (or shorter) name while its numbers came from
// the section of the longer one.
TEST(SettingsFindingsTest, ZeroByteEndsTheModelName) {
    using namespace std::string_literals;
    EXPECT_TRUE(LoadText("[MODEL_LIST]\nNo=1\nItem_1=\0Hidden\n[\0Hidden]\nWidth=5\n"s).empty());

    const std::vector<ModelInfo> models =
        LoadText("[MODEL_LIST]\nNo=1\nItem_1=Ab\0cd\n[Ab]\nWidth=7\n[Ab\0cd]\nWidth=9\n"s);
    ASSERT_EQ(models.size(), 1u);
    EXPECT_EQ(models[0].Name(), "Ab");
    EXPECT_EQ(models[0].width, 7);
}

TEST(SettingsFindingsTest, CheckedInInputsListOnlyNamedModels) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kInputs)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::vector<ModelInfo> models;
        LoadModelList(entry.path().string(), &models);
        for (const ModelInfo& model : models) {
            EXPECT_FALSE(model.Name().empty());
            EXPECT_EQ(model.resolutionY, model.resolution);
        }
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}

}  // namespace
