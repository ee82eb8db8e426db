#include "io/output_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <string_view>

namespace {

// The limit the kernel puts on links followed while resolving one name.
constexpr int kMaxLinks = 40;

bool Fail(const std::string& text, std::string* reason) {
    *reason = text;
    return false;
}

bool SystemFail(int errorNumber, std::string* reason) {
    return Fail(std::strerror(errorNumber), reason);
}

// The names of a path in order; "." and empty names (from "//") mean nothing.
void PrependNames(std::string_view path, std::deque<std::string>& pending) {
    std::deque<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty() && name != ".") names.emplace_back(name);
        start = end + 1;
    }
    pending.insert(pending.begin(), names.begin(), names.end());
}

bool MayFollow(const struct stat& folder, const struct stat& link) {
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

UniqueFd OpenRoot(bool absolute) {
    return UniqueFd(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

bool FindOutputPlace(const std::string& path, OutputPlace* place, std::string* reason) {
    if (path.empty()) return SystemFail(ENOENT, reason);
    std::deque<std::string> pending;
    PrependNames(path, pending);
    // "dir/" or "/" name a folder, never a file to write.
    if (pending.empty() || path.back() == '/') return SystemFail(EISDIR, reason);
    const bool absolute = path.front() == '/';
    UniqueFd folder = OpenRoot(absolute);
    std::string folderPath = absolute ? "/" : "";
    int links = 0;
    for (;;) {
        if (!folder.Valid()) return SystemFail(errno, reason);
        std::string name = std::move(pending.front());
        pending.pop_front();
        const bool last = pending.empty();
        // The entry itself, not what it names: a link is read through this
        // descriptor, so it cannot be swapped between the check and the read.
        UniqueFd entry(::openat(folder.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!entry.Valid() && (errno != ENOENT || !last)) return SystemFail(errno, reason);
        struct stat info {};
        if (entry.Valid() && ::fstat(entry.Get(), &info) != 0) return SystemFail(errno, reason);
        if (entry.Valid() && S_ISLNK(info.st_mode)) {
            struct stat folderInfo {};
            if (++links > kMaxLinks) return SystemFail(ELOOP, reason);
            if (::fstat(folder.Get(), &folderInfo) != 0) return SystemFail(errno, reason);
            if (!MayFollow(folderInfo, info)) {
                return Fail("the link '" + folderPath + name +
                                "' is in a sticky folder anyone can write to and belongs to "
                                "neither this user nor the folder's owner, so it is not followed",
                            reason);
            }
            char target[PATH_MAX];
            const ssize_t length = ::readlinkat(entry.Get(), "", target, sizeof target);
            if (length < 0) return SystemFail(errno, reason);
            if (length == 0) return SystemFail(ENOENT, reason);
            if (static_cast<std::size_t>(length) >= sizeof target) {
                return SystemFail(ENAMETOOLONG, reason);
            }
            const std::string_view text(target, static_cast<std::size_t>(length));
            PrependNames(text, pending);
            if (pending.empty() || (last && text.back() == '/')) return SystemFail(EISDIR, reason);
            if (text.front() == '/') {
                folder = OpenRoot(true);
                folderPath = "/";
            }
            continue;
        }
        // The last name is the file, new or not; what it is, the writer checks.
        if (last) {
            place->folder = std::move(folder);
            place->folderPath = std::move(folderPath);
            place->name = std::move(name);
            return true;
        }
        if (!S_ISDIR(info.st_mode)) return SystemFail(ENOTDIR, reason);
        folder = std::move(entry);
        folderPath += name + '/';
    }
}
