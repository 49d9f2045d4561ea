#pragma once
// Trees deeper than a path the kernel takes at once (PATH_MAX), made and removed
// by descriptors.

#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plenwick::test {

// Makes folders of `nameLength`-byte names below `base` until the path passes
// `length` (PATH_MAX unless given), writes `fileName` holding `content` at the bottom
// and returns its path.
inline std::string makeDeepFile(const std::string& base, const std::string& fileName, const std::string& content,
                                std::size_t nameLength = 200, std::size_t length = PATH_MAX + 100) {
    std::string path = base;
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; fd >= 0 && path.size() <= length; ++level) {
        const std::string name = std::to_string(level) + std::string(nameLength, 'd');
        ::mkdirat(fd, name.c_str(), 0755);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        path += "/" + name;
    }
    if (fd < 0) return {};
    const int file = ::openat(fd, fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file >= 0) {
        (void)!::write(file, content.data(), content.size());
        ::close(file);
    }
    ::close(fd);
    return path + "/" + fileName;
}

// Removes everything in the open folder `fd` (which it closes), however deep.
inline void removeContents(int fd) {
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0) ::close(fd);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string child = entry->d_name;
        if (child != "." && child != "..") names.push_back(child);
    }
    for (const std::string& child : names) {
        if (::unlinkat(::dirfd(dir), child.c_str(), 0) == 0) continue;
        removeContents(::openat(::dirfd(dir), child.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        ::unlinkat(::dirfd(dir), child.c_str(), AT_REMOVEDIR);
    }
    ::closedir(dir);
}

// Empties the folder at `path` (short itself), however deep the tree in it.
inline void removeTreeBelow(const std::string& path) {
    removeContents(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

} // namespace plenwick::test
