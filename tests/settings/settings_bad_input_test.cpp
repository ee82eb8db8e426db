// Settings files that are not settings files, and things that are not files
// at all: the model list stays empty and nothing breaks.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "settings/model_list.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SettingsBadInputTest, GarbageFilesListNothing) {
    using namespace std::string_literals;
    const TempDir dir;
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) >> 3));
    const std::vector<std::string> files = {
        binary,
        std::string(1 << 20, 'x'),                           // one long line, no newline
        "[MODEL_LIST]\nNo=5\n" + std::string(1 << 20, '['),  // a section that never closes
        "\0\0\0[MODEL_LIST]\0No=1\0Item_1=A\0"s,             // zero bytes instead of line ends
        "[MODEL_LIST]\rNo=1\rItem_1=A\r",                    // old line ends are not line ends
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        std::vector<ModelInfo> models;
        LoadModelList(dir.Write("garbage.ini", files[i]), &models);
        EXPECT_TRUE(models.empty());
    }

    // A folder or a pipe in the settings file's place reads as a missing
    // file: the folder used to throw out of the stream, a pipe with no
    // writer would block the start-up.
    const std::string pipe = (dir.Path() / "pipe.ini").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {dir.Path().string(), pipe}) {
        std::vector<ModelInfo> models;
        LoadModelList(path, &models);
        EXPECT_TRUE(models.empty()) << path;
    }
}

}  // namespace
