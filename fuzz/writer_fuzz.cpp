// The writer's checks of an output path over random file-system layouts in a
// scratch folder: regular files, pipes, folders and links (relative,
// absolute, chained, planted by another user where the fuzzer runs as root)
// in folders with and without the sticky and world-writable bits. The
// outcome is compared with a reference that resolves the path by name: the
// writer must replace exactly the regular file the reference finds, and
// only when every link on the way may be followed and the file is not an
// input; anything else must be refused with everything left as it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "io/atomic_file.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kStranger = 4321;
constexpr char kPayload[] = "written";
const char* const kFolders[] = {"", "s/", "t/"};
const char* const kNames[] = {"a", "b", "c"};

fs::path ScratchRoot() {
    static const fs::path root = [] {
        const char* tmp = std::getenv("TMPDIR");
        // A memory file system where there is one: every save is synced.
        std::string base = fs::is_directory("/dev/shm") ? "/dev/shm" : (tmp ? tmp : "/tmp");
        std::string pattern = base + "/lumikor-writer-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return fs::path(pattern);
    }();
    return root;
}

struct Entry {
    fs::file_type type;
    ino_t inode;
    std::string bytes;
};

// Every name below root, by what it is (links not followed).
std::map<std::string, Entry> Snapshot(const fs::path& root) {
    std::map<std::string, Entry> entries;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        if (::lstat(item.path().c_str(), &info) != 0) std::abort();
        Entry entry{item.symlink_status().type(), info.st_ino, {}};
        if (S_ISREG(info.st_mode)) {
            std::ifstream in(item.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            entry.bytes = bytes.str();
        }
        entries[item.path().string()] = entry;
    }
    return entries;
}

// The reference: the path resolved name by name on strings, the shared
// folder rule applied to each link. Returns the file's path, or "" when the
// save must be refused.
std::string Resolve(const std::string& path) {
    std::vector<std::string> pending;
    std::string current = path.front() == '/' ? "" : fs::current_path().string();
    const auto prepend = [&pending](const std::string& text) {
        std::vector<std::string> names;
        std::stringstream stream(text);
        for (std::string name; std::getline(stream, name, '/');) {
            if (!name.empty() && name != ".") names.push_back(name);
        }
        pending.insert(pending.begin(), names.begin(), names.end());
    };
    prepend(path);
    for (int links = 0; !pending.empty();) {
        const std::string name = pending.front();
        pending.erase(pending.begin());
        if (name == "..") {
            current = fs::path(current).parent_path().string();
            if (current == "/") current = "";
            continue;
        }
        const std::string next = current + "/" + name;
        struct stat info {};
        if (::lstat(next.c_str(), &info) != 0) return pending.empty() ? next : "";
        if (!S_ISLNK(info.st_mode)) {
            if (pending.empty()) return next;
            if (!S_ISDIR(info.st_mode)) return "";
            current = next;
            continue;
        }
        struct stat folder {};
        if (++links > 40 || ::lstat(current.empty() ? "/" : current.c_str(), &folder) != 0)
            return "";
        const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
        if (shared && info.st_uid != ::geteuid() && info.st_uid != folder.st_uid) return "";
        const std::string target = fs::read_symlink(next).string();
        if (target.empty()) return "";
        if (target.front() == '/') current = "";
        prepend(target);
        if (pending.empty()) return "";
    }
    return "";
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Links may climb one folder above the run ("..", "../t"): the folders
    // above it belong to the layout too, so nothing can reach past them.
    const fs::path top = ScratchRoot() / "p";
    const fs::path root = top / "q" / "run";
    std::error_code ignored;
    fs::remove_all(top, ignored);
    fs::create_directories(root / "s");
    fs::create_directories(root / "t");
    const bool asRoot = ::geteuid() == 0;
    for (const char* folder : {"s", "t"}) {
        const fs::path path = root / folder;
        ::chmod(path.c_str(), input.PickValueInArray<mode_t>({0755, 0777, 01777, 01755, 01775}));
        if (asRoot && input.ConsumeBool()) Check(::chown(path.c_str(), kStranger, 0) == 0);
    }

    std::vector<FileIdentity> inputs;
    const int count = input.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < count; ++i) {
        const fs::path path =
            root / (std::string(input.PickValueInArray(kFolders)) + input.PickValueInArray(kNames));
        if (fs::exists(fs::symlink_status(path))) continue;
        switch (input.ConsumeIntegralInRange(0, 3)) {
            case 0: {
                std::ofstream(path) << "old " << i;
                if (input.ConsumeBool()) {
                    struct stat info {};
                    Check(::stat(path.c_str(), &info) == 0);
                    inputs.push_back(IdentityOf(info));
                }
                break;
            }
            case 1:
                Check(::mkfifo(path.c_str(), 0600) == 0);
                break;
            case 2:
                fs::create_directory(path);
                break;
            default: {
                std::string target = input.PickValueInArray<std::string>(
                    {"a", "b", "../t/a", "../s/c", "s", "t/b", "../t", "..", "."});
                if (input.ConsumeBool()) target = (root / target).lexically_normal().string();
                fs::create_symlink(target, path);
                if (asRoot && input.ConsumeBool()) {
                    Check(::lchown(path.c_str(), kStranger, 0) == 0);
                }
                break;
            }
        }
    }
    // The output: a name in one of the folders, maybe below another name
    // (a link on the way, or a file that is no folder).
    std::string out = (root / input.PickValueInArray(kFolders)).string();
    if (input.ConsumeBool()) out += std::string(input.PickValueInArray(kNames)) + "/";
    out += input.PickValueInArray(kNames);

    const std::map<std::string, Entry> before = Snapshot(top);
    const std::string expected = Resolve(out);
    struct stat target {};
    const bool exists = !expected.empty() && ::lstat(expected.c_str(), &target) == 0;
    bool allowed = !expected.empty() && (!exists || S_ISREG(target.st_mode));
    for (const FileIdentity& identity : inputs) {
        if (exists && identity == IdentityOf(target)) allowed = false;
    }
    if (!exists && !expected.empty()) {
        allowed = fs::is_directory(fs::path(expected).parent_path());
    }

    AtomicFile file;
    std::string error;
    const bool saved = file.Open(out, &error, inputs) &&
                       file.Write(kPayload, sizeof kPayload - 1, &error) && file.Commit(&error);
    Check(saved == allowed);

    // Nothing else changed: the same names, kinds and bytes, and no
    // temporary file left.
    std::map<std::string, Entry> after = Snapshot(top);
    if (saved) {
        Check(after.count(expected) == 1 && after[expected].bytes == kPayload);
        after.erase(expected);
    }
    std::map<std::string, Entry> unchanged = before;
    if (saved) unchanged.erase(expected);
    Check(after.size() == unchanged.size());
    for (const auto& [name, entry] : unchanged) {
        const auto found = after.find(name);
        Check(found != after.end() && found->second.type == entry.type &&
              found->second.inode == entry.inode && found->second.bytes == entry.bytes);
    }
    return 0;
}
