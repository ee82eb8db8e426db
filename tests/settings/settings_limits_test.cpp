// How much of a settings file is read, and what is kept of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/model_list.h"
#include "settings/settings_file.h"
#include "tests/support/temp_dir.h"

namespace {

// Comment lines of exactly size bytes in all, the last ending in '\n'.
std::string Padding(std::size_t size) {
    std::string text;
    while (size > 0) {
        const std::size_t line = std::min<std::size_t>(size, 64);
        text += ';';
        text.append(line - 1, 'x');
        text.back() = '\n';
        size -= line;
    }
    return text;
}

TEST(SettingsLimitsTest, ReadsTheFirstMebibyteWithoutTheLineItCuts) {
    const TempDir dir;
    const std::string head =
        "[MODEL_LIST]\nNo=3\nItem_1=Desk\nItem_2=Late\nItem_3=Cut\n[Desk]\nWidth=400\n";
    // The limit falls just after "Width=123"; the rest is never seen.
    const std::string text = head + Padding(kMaxSettingsBytes - head.size() - 15) +
                             "[Cut]\nWidth=1234567\n[Late]\nWidth=9\n";
    const std::string path = dir.Write("Lumikor.ini", text);
    const std::string read = SettingsFile::ReadText(path);
    EXPECT_EQ(read.size(), kMaxSettingsBytes - 9);
    EXPECT_EQ(read.find("Width=123"), std::string::npos) << "the cut line was kept";

    std::vector<ModelInfo> models;
    LoadModelList(path, &models);
    ASSERT_EQ(models.size(), 3u);
    EXPECT_EQ(models[0].width, 400);
    EXPECT_EQ(models[1].width, 1000);  // [Late] lies past the limit: the default
    EXPECT_EQ(models[2].width, 1000);  // not 123 from half a line

    // Exactly at the limit the whole file is read.
    const std::string whole = head + Padding(kMaxSettingsBytes - head.size());
    EXPECT_EQ(SettingsFile::ReadText(dir.Write("whole.ini", whole)), whole);
}

TEST(SettingsLimitsTest, FolderPipeOrDeviceReadsAsEmpty) {
    const TempDir dir;
    for (const std::string& path : {dir.Path().string(), std::string("/dev/zero")}) {
        EXPECT_EQ(SettingsFile::ReadText(path), "") << path;
    }
}

TEST(SettingsLimitsTest, OnlyTheNamedSectionsAreKept) {
    const SettingsFile file = SettingsFile::FromText(
        "[a]\nk=1\n[Wanted]\nk=2\n[b]\nk=3\n[WANTED]\nk=4\nj=5\n[other]\nk=6\n",
        {"wanted", "Other"});
    EXPECT_EQ(file.GetInt("a", "k", -1), -1);
    EXPECT_EQ(file.GetInt("b", "k", -1), -1);
    // The first section of a name still wins, and skipped sections do not
    // leak their entries into the kept ones.
    EXPECT_EQ(file.GetInt("wanted", "k", -1), 2);
    EXPECT_EQ(file.GetInt("wanted", "j", -1), -1);
    EXPECT_EQ(file.GetInt("other", "k", -1), 6);
}

}  // namespace
