#include "io/atomic_file.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool Save(const std::string& path, const std::string& bytes, std::string* error = nullptr) {
    AtomicFile file;
    return file.Open(path, error) && file.Write(bytes.data(), bytes.size(), error) &&
           file.Commit(error);
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(AtomicFileTest, ReplacementKeepsTheOldFilesMode) {
    const TempDir dir;
    for (const mode_t mode : {0600, 0640, 0755}) {
        const std::string path = dir.Write("picture.bmp", "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        std::string error;
        ASSERT_TRUE(Save(path, "new bytes", &error)) << error;
        EXPECT_EQ(ReadAll(path), "new bytes");
        EXPECT_EQ(ModeOf(path), mode);
    }
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"picture.bmp"});
}

TEST(AtomicFileTest, NewFileFollowsTheUmask) {
    const TempDir dir;
    const mode_t previous = ::umask(027);
    const std::string path = (dir.Path() / "new.bmp").string();
    const bool saved = Save(path, "x");
    ::umask(previous);
    ASSERT_TRUE(saved);
    EXPECT_EQ(ModeOf(path), 0640u);
}

TEST(AtomicFileTest, SymbolicLinksAreWrittenThrough) {
    const TempDir dir;
    fs::create_directory(dir.Path() / "elsewhere");
    const std::string real = dir.Write("elsewhere/real.bmp", "old");
    ASSERT_EQ(::chmod(real.c_str(), 0604), 0);
    // A chain: absolute link to a relative link to the file.
    fs::create_symlink("elsewhere/real.bmp", dir.Path() / "relative.bmp");
    const fs::path link = dir.Path() / "link.bmp";
    fs::create_symlink(dir.Path() / "relative.bmp", link);

    std::string error;
    ASSERT_TRUE(Save(link.string(), "through the link", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "relative.bmp"));
    EXPECT_EQ(ReadAll(real), "through the link");
    EXPECT_EQ(ModeOf(real), 0604u);
    // The temporary file was made beside the real file, and is gone.
    EXPECT_EQ(Names(dir.Path() / "elsewhere"), std::vector<std::string>{"real.bmp"});

    // A dangling link creates the file it names.
    const fs::path dangling = dir.Path() / "dangling.bmp";
    fs::create_symlink("elsewhere/made.bmp", dangling);
    ASSERT_TRUE(Save(dangling.string(), "made", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadAll(dir.Path() / "elsewhere/made.bmp"), "made");

    // A loop is refused and nothing is created.
    fs::create_symlink("loop-b.bmp", dir.Path() / "loop-a.bmp");
    fs::create_symlink("loop-a.bmp", dir.Path() / "loop-b.bmp");
    EXPECT_FALSE(Save((dir.Path() / "loop-a.bmp").string(), "x", &error));
    EXPECT_NE(error.find("loop-a.bmp"), std::string::npos) << error;
}

TEST(AtomicFileTest, TemporaryNamesCannotBeClaimedInAdvance) {
    const TempDir dir;
    // The names a process-id scheme would try, all taken.
    for (int attempt = 0; attempt < 100; ++attempt) {
        dir.Write(".lumikor-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp",
                  "");
    }
    const std::string path = (dir.Path() / "out.bmp").string();
    std::string error;
    EXPECT_TRUE(Save(path, "saved", &error)) << error;
    EXPECT_EQ(ReadAll(path), "saved");
    EXPECT_EQ(Names(dir.Path()).size(), 101u);
}

TEST(AtomicFileTest, FailureLeavesTheTargetAndNoTemporaryFile) {
    const TempDir dir;
    const std::string path = dir.Write("keep.bmp", "old");
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open(path, nullptr));
        ASSERT_TRUE(file.Write("partial", 7, nullptr));
    }  // dropped without Commit
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"keep.bmp"});

    std::string error;
    EXPECT_FALSE(Save((dir.Path() / "missing/x.bmp").string(), "x", &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

// The child saves into dir and stops itself mid-save with the signal.
void InterruptedSave(const std::string& path, int signalNumber) {
    AtomicFile file;
    if (!file.Open(path, nullptr) || !file.Write("partial", 7, nullptr)) _exit(1);
    ::raise(signalNumber);
    _exit(2);  // not reached: the signal ends the process
}

TEST(AtomicFileDeathTest, InterruptionRemovesTheTemporaryFile) {
    // Forked, so the child saves into this test's folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        const TempDir dir;
        const std::string path = dir.Write("keep.bmp", "old");
        EXPECT_EXIT(InterruptedSave(path, signalNumber), testing::KilledBySignal(signalNumber), "");
        EXPECT_EQ(ReadAll(path), "old");
        EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"keep.bmp"});
    }
}

TEST(AtomicFileTest, SignalHandlingIsRestoredAfterTheSave) {
    const TempDir dir;
    ASSERT_TRUE(Save((dir.Path() / "a.bmp").string(), "x"));
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGINT, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);

    // A program that ignores the signal keeps ignoring it during a save.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGTERM, &ignore, &previous), 0);
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open((dir.Path() / "b.bmp").string(), nullptr));
        ASSERT_EQ(::sigaction(SIGTERM, nullptr, &current), 0);
        EXPECT_EQ(current.sa_handler, SIG_IGN);
    }
    ::sigaction(SIGTERM, &previous, nullptr);
}

TEST(AtomicFileTest, SameFileIsFoundThroughLinks) {
    const TempDir dir;
    const std::string job = dir.Write("job.prn", "job");
    const std::string other = dir.Write("other.bmp", "job");
    fs::create_symlink("job.prn", dir.Path() / "soft.bmp");
    fs::create_hard_link(job, dir.Path() / "hard.bmp");
    EXPECT_TRUE(NamesSameFile(job, job));
    EXPECT_TRUE(NamesSameFile(job, (dir.Path() / "soft.bmp").string()));
    EXPECT_TRUE(NamesSameFile(job, (dir.Path() / "hard.bmp").string()));
    EXPECT_FALSE(NamesSameFile(job, other));  // same bytes, another file
    EXPECT_FALSE(NamesSameFile(job, (dir.Path() / "missing.bmp").string()));
}

}  // namespace
