#include "platform/Trash.h"

#include "base/CreateFolders.h"
#include "base/HomeDirectory.h"
#include "base/PathNames.h"
#include "platform/TrashFiles.h"
#include "platform/TrashName.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace plenwick {
namespace {

[[noreturn]] void fail(int error, const char* what) {
    throw std::system_error(error, std::generic_category(), what);
}

// A folder we own and that is a real folder (not a link), created when missing.
void ensurePrivateFolder(const std::string& path, bool mustOwn) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) fail(errno, "mkdir");
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) fail(errno, "lstat");
    if (!S_ISDIR(st.st_mode)) fail(ENOTDIR, "trash folder");
    if (mustOwn && st.st_uid != getuid()) fail(EACCES, "trash folder");
}

TrashDirectory prepared(TrashDirectory trash, bool mustOwn) {
    ensurePrivateFolder(trash.path, mustOwn);
    ensurePrivateFolder(trash.filesFolder(), mustOwn);
    ensurePrivateFolder(trash.infoFolder(), mustOwn);
    return trash;
}

// The top folder of the mount holding `path`: the highest ancestor on `device`.
std::string topFolderOf(const std::string& path, dev_t device) {
    std::string top = path;
    while (top != "/") {
        const std::string parent = parentPath(top);
        struct stat st {};
        if (stat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
        top = parent;
    }
    return top;
}

std::string percentEncoded(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) out += static_cast<char>(c);
        else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

std::string canonicalItemPath(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    char* folder = realpath(parentPath(trimmed).c_str(), nullptr);
    if (!folder) fail(errno, "realpath");
    std::string result(folder);
    std::free(folder);
    if (result != "/") result += '/';
    return result + lastPathComponent(trimmed);
}

std::string trashInfoText(const std::string& pathInInfo, long long deletionTime) {
    const std::time_t when = static_cast<std::time_t>(deletionTime);
    std::tm local {};
    localtime_r(&when, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + percentEncoded(pathInInfo) + "\nDeletionDate=" + date + "\n";
}

TrashDirectory homeTrash() {
    const std::string data = xdgDataHome();
    if (const int error = createFolders(data)) fail(error, "mkdir");
    return prepared({data + "/Trash", {}}, false);
}

TrashDirectory trashFor(const std::string& path, dev_t device) {
    TrashDirectory home = homeTrash();
    struct stat st {};
    if (stat(home.path.c_str(), &st) == 0 && st.st_dev == device) return home;

    const std::string top = topFolderOf(canonicalItemPath(path), device);
    const std::string base = top == "/" ? "" : top;
    const std::string uid = std::to_string(getuid());
    // $topdir/.Trash shared by all users: only when it is a sticky folder, not a link.
    struct stat shared {};
    if (lstat((base + "/.Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
        try {
            return prepared({base + "/.Trash/" + uid, top}, true);
        } catch (const std::system_error&) {
            // fall through to the per-user folder
        }
    }
    return prepared({base + "/.Trash-" + uid, top}, true);
}

std::string reserveTrashName(const TrashDirectory& trash, const std::string& itemPath) {
    const std::string originalPath = canonicalItemPath(itemPath);
    std::string infoPath = originalPath;
    if (!trash.topdir.empty()) {
        // Paths in a mount's trash are relative to the mount's top folder.
        const std::size_t skip = trash.topdir == "/" ? 1 : trash.topdir.size() + 1;
        infoPath = originalPath.substr(std::min(skip, originalPath.size()));
    }
    const std::string info = trashInfoText(infoPath, static_cast<long long>(std::time(nullptr)));
    const std::string name = lastPathComponent(originalPath);
    const auto reserved = takeFreeTrashName(name, [&](const std::string& candidate) {
        struct stat st {};
        if (lstat((trash.filesFolder() + "/" + candidate).c_str(), &st) == 0) return false;
        const std::string infoFile = trash.infoFolder() + "/" + candidate + ".trashinfo";
        const int fd = open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) return false;
            fail(errno, "trashinfo");
        }
        const bool written = writeAll(fd, info);
        const int writeError = errno;
        ::close(fd);
        if (!written) {
            unlink(infoFile.c_str());
            fail(writeError, "trashinfo");
        }
        return true;
    });
    if (!reserved) fail(EEXIST, "trash name");
    return *reserved;
}

void releaseTrashName(const TrashDirectory& trash, const std::string& name) {
    unlink((trash.infoFolder() + "/" + name + ".trashinfo").c_str());
}

std::string moveToTrash(const std::string& path) {
    // The item itself: a trailing slash must not make a link to a folder stand for its target.
    const std::string original = canonicalItemPath(path);
    struct stat st {};
    if (lstat(original.c_str(), &st) != 0) fail(errno, "lstat");
    const TrashDirectory trash = trashFor(original, st.st_dev);
    // The name is reserved, but something may still appear there meanwhile: then the
    // next free name is taken.
    for (int attempt = 0;; ++attempt) {
        const std::string name = reserveTrashName(trash, original);
        const std::string destination = trash.filesFolder() + "/" + name;
        const int error = moveWithoutReplacing(AT_FDCWD, original, AT_FDCWD, destination, S_ISDIR(st.st_mode));
        if (error == 0) return destination;
        releaseTrashName(trash, name);
        if (error != EEXIST || attempt == 100) fail(error, "rename");
    }
}

} // namespace plenwick
