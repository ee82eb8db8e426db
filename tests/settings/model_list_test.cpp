#include "settings/model_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

struct Expected {
    std::string name;
    int width, height, resolution;
};

std::vector<ModelInfo> Load(const std::string& text) {
    const TempDir dir;
    std::vector<ModelInfo> models;
    LoadModelList(dir.Write("Lumikor.ini", text), &models);
    return models;
}

void ExpectModels(const std::vector<ModelInfo>& models, const std::vector<Expected>& expected) {
    ASSERT_EQ(models.size(), expected.size());
    for (std::size_t i = 0; i < models.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(models[i].Name(), expected[i].name);
        EXPECT_EQ(models[i].width, expected[i].width);
        EXPECT_EQ(models[i].height, expected[i].height);
        EXPECT_EQ(models[i].resolution, expected[i].resolution);
        EXPECT_EQ(models[i].resolutionY, expected[i].resolution);
    }
}

TEST(ModelListTest, ExampleFileGivesThreeModelsInOrder) {
    ExpectModels(
        Load("[MODEL_LIST]\nNo=4\nItem_1=Desk 400\nItem_2=Bench 1000\nItem_4=Spare\n\n"
             "[Desk 400]\nWidth=400\nHeight=300\nResolution=500\n\n"
             "[Bench 1000]\nWidth=1000\nHeight=600\nResolution=1000\n"),
        {{"Desk 400", 400, 300, 500}, {"Bench 1000", 1000, 600, 1000}, {"Spare", 1000, 600, 1000}});
}

TEST(ModelListTest, CountBelowOneOrMissingListsNothing) {
    for (const char* count : {"No=0\n", "No=-3\n", "", "No=abc\n", "No=\n"}) {
        SCOPED_TRACE(count);
        EXPECT_TRUE(Load(std::string("[MODEL_LIST]\n") + count + "Item_1=A\n").empty());
    }
    std::vector<ModelInfo> models;
    LoadModelList("/nonexistent/Lumikor.ini", &models);
    EXPECT_TRUE(models.empty());
}

TEST(ModelListTest, ItemsBeyondTheCountOrNotInItsFormAreIgnored) {
    ExpectModels(Load("[MODEL_LIST]\nNo=2\nItem_3=Three\nItem_01=Padded\nItem_+2=Signed\n"
                      "Item_2=Two\nItem_1=\nItem_0=Zero\n"),
                 {{"Two", 1000, 600, 1000}});
}

TEST(ModelListTest, ItemsFollowTheirNumbersNotTheFileOrder) {
    ExpectModels(Load("[MODEL_LIST]\nNo=12\nItem_10=Ten\nItem_2=Two\nItem_1=One\n"),
                 {{"One", 1000, 600, 1000}, {"Two", 1000, 600, 1000}, {"Ten", 1000, 600, 1000}});
}

TEST(ModelListTest, HugeCountListsWhatIsThereWithoutVisitingEveryNumber) {
    ExpectModels(Load("[MODEL_LIST]\nNo=2147483647\nItem_2147483647=Last\nItem_5=Five\n"),
                 {{"Five", 1000, 600, 1000}, {"Last", 1000, 600, 1000}});
}

TEST(ModelListTest, MissingNumbersTakeTheirOwnDefaults) {
    ExpectModels(Load("[MODEL_LIST]\nNo=1\nItem_1=Cut\n[cut]\nWidth=0\nResolution=-254\n"),
                 {{"Cut", 0, 600, -254}});
}

TEST(ModelListTest, NamesAreKeptExactlyAndSharedNamesShareTheirSection) {
    ExpectModels(Load("[MODEL_LIST]\nNo=2\nItem_1=50% [A&B]\nItem_2=50% [A&B]\n"
                      "[50% [A&B]]\nWidth=20\n"),
                 {{"50% [A&B]", 20, 600, 1000}, {"50% [A&B]", 20, 600, 1000}});
}

TEST(ModelListTest, LongNamesAreCutTo127AndTheCutNameIsTheSection) {
    const std::string longName(200, 'n');
    const std::string cut(127, 'n');
    ExpectModels(Load("[MODEL_LIST]\nNo=1\nItem_1=" + longName + "\n[" + longName +
                      "]\nWidth=1\n[" + cut + "]\nWidth=2\n"),
                 {{cut, 2, 600, 1000}});
}

}  // namespace
