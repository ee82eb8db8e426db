// What the writer refuses to replace: anything but a regular file, any input
// of the run however it is named, a link another user planted in a shared
// sticky folder, and a name that changed between the checks and the rename.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "io/atomic_file.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kStranger = 4321;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool Save(const std::string& path, std::string* error, std::span<const FileIdentity> inputs = {}) {
    AtomicFile file;
    return file.Open(path, error, inputs) && file.Write("new", 3, error) && file.Commit(error);
}

FileIdentity IdentityOfPath(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return IdentityOf(info);
}

std::vector<std::string> TemporaryFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".lumikor-")) {
            names.push_back(entry.path().string());
        }
    }
    return names;
}

bool MakeSocket(const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = path.string();
    if (fd < 0 || name.size() >= sizeof address.sun_path) return false;
    name.copy(address.sun_path, name.size());
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

TEST(OutputRefusalTest, OnlyARegularFileThatIsNoInputIsReplaced) {
    const TempDir dir;
    const fs::path& d = dir.Path();
    const std::string job = dir.Write("job.prn", "job");
    const FileIdentity inputs[] = {IdentityOfPath(job)};
    ASSERT_EQ(::mkfifo((d / "pipe.png").c_str(), 0600), 0);
    fs::create_directory(d / "folder.png");
    const bool socketMade = MakeSocket(d / "socket.png");
    // A device node where the system lets us make one (root, no restrictive
    // mount); the same as /dev/null, without touching it.
    const bool deviceMade = ::mknod((d / "null.png").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    fs::create_symlink("pipe.png", d / "to-pipe.png");
    fs::create_hard_link(job, d / "hard.png");
    fs::create_symlink(job, d / "soft.png");
    const int jobFd = ::open(job.c_str(), O_RDONLY);
    ASSERT_GE(jobFd, 0);

    struct Case {
        std::string path;
        std::string reason;
        bool made = true;
    };
    const std::vector<Case> cases = {
        {(d / "pipe.png").string(), "is a pipe"},
        {(d / "to-pipe.png").string(), "is a pipe"},
        {(d / "folder.png").string(), "Is a directory"},
        {(d / "folder.png/").string(), "Is a directory"},
        {(d / "socket.png").string(), "is a socket", socketMade},
        {(d / "null.png").string(), "is a character device", deviceMade},
        {job, "is an input of this run"},
        {(d / "hard.png").string(), "is an input of this run"},
        {(d / "soft.png").string(), "is an input of this run"},
        {"/proc/self/fd/" + std::to_string(jobFd), "is an input of this run"},
    };
    for (const Case& c : cases) {
        if (!c.made) continue;
        std::string error;
        EXPECT_FALSE(Save(c.path, &error, inputs)) << c.path;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.path << ": " << error;
    }
    ::close(jobFd);
    EXPECT_EQ(ReadAll(job), "job");
    EXPECT_EQ(fs::status(d / "pipe.png").type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_directory(d / "folder.png"));
    if (deviceMade) {
        EXPECT_EQ(fs::status(d / "null.png").type(), fs::file_type::character);
    }
    EXPECT_EQ(TemporaryFiles(d), std::vector<std::string>{});
    // The same job is no input of another run: its picture may replace it.
    std::string error;
    EXPECT_TRUE(Save((d / "hard.png").string(), &error)) << error;
}

// The rule the kernel applies with fs.protected_symlinks = 1, whatever the
// machine's setting: in a sticky folder anyone can write to, a link is
// followed only when it belongs to this user or to the folder's owner.
TEST(OutputRefusalTest, LinksInSharedStickyFoldersFollowTheProtectedRule) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
    struct Case {
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool linkIsAFolder;  // the link stands for a folder on the way
        bool followed;
    };
    const std::vector<Case> cases = {
        {01777, 0, 0, false, true},                  // our own link
        {01777, 0, kStranger, false, false},         // planted in /tmp
        {01777, 0, kStranger, true, false},          // planted, on the way
        {01777, kStranger, kStranger, false, true},  // the folder owner's
        {01777, kStranger, kStranger, true, true},   //
        {00777, 0, kStranger, false, true},          // not sticky
        {01755, kStranger, 0, false, true},          // not world-writable
        {01775, kStranger, kStranger + 1, true, true},
    };
    for (const Case& c : cases) {
        const TempDir dir;
        const fs::path shared = dir.Path() / "shared";
        const fs::path victim = dir.Path() / "victim";
        fs::create_directory(shared);
        fs::create_directory(victim);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, 0), 0);
        ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
        const std::string target = dir.Write("victim/file.png", "old");
        const fs::path link = shared / "link";
        fs::create_symlink(c.linkIsAFolder ? victim : fs::path(target), link);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, 0), 0);

        const std::string out = c.linkIsAFolder ? (link / "file.png").string() : link.string();
        std::string error;
        const bool saved = Save(out, &error);
        EXPECT_EQ(saved, c.followed) << out << " mode " << c.folderMode << ": " << error;
        EXPECT_EQ(ReadAll(target), c.followed ? "new" : "old");
        if (!c.followed) {
            EXPECT_NE(error.find("not followed"), std::string::npos) << error;
        }
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(TemporaryFiles(dir.Path()), std::vector<std::string>{});
    }
}

TEST(OutputRefusalTest, NameThatChangesBeforeTheRenameIsLeftAlone) {
    const TempDir dir;
    const fs::path out = dir.Path() / "out.png";
    struct Case {
        bool existed;
        std::function<void()> change;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {true, [&] { fs::rename(dir.Write("swap", "theirs"), out); }, "changed"},
        {true,
         [&] {
             fs::remove(out);
             fs::create_directory(out);
         },
         "changed"},
        {true,
         [&] {
             fs::remove(out);
             fs::create_symlink(dir.Write("elsewhere", "theirs"), out);
         },
         "changed"},
        {false, [&] { dir.Write("out.png", "theirs"); }, "appeared"},
    };
    for (const Case& c : cases) {
        fs::remove_all(out);
        if (c.existed) dir.Write("out.png", "old");
        AtomicFile file;
        std::string error;
        ASSERT_TRUE(file.Open(out.string(), &error)) << error;
        ASSERT_TRUE(file.Write("new", 3, &error)) << error;
        c.change();
        EXPECT_FALSE(file.Commit(&error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        if (fs::is_regular_file(out)) {
            EXPECT_EQ(ReadAll(out), "theirs");
        }
        EXPECT_EQ(TemporaryFiles(dir.Path()), std::vector<std::string>{});
    }
}

}  // namespace
