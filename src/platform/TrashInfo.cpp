#include "platform/TrashInfo.h"

#include "base/PathNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

namespace {

constexpr std::size_t maximumInfoSize = 64 * 1024;

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// A small regular file read whole, without waiting on a fifo or a device.
std::optional<std::string> readSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > maximumInfoSize) {
        ::close(fd);
        return std::nullopt;
    }
    std::string text(maximumInfoSize + 1, '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done > maximumInfoSize) return std::nullopt;
    text.resize(done);
    return text;
}

} // namespace

std::optional<std::string> trashInfoPath(std::string_view text) {
    bool inGroup = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.starts_with('[')) {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (inGroup && line.starts_with("Path=")) {
            auto path = percentDecoded(line.substr(5));
            if (!path || path->empty() || path->find('\0') != std::string::npos) return std::nullopt;
            return path;
        }
    }
    return std::nullopt;
}

std::optional<std::string> originalPathOfTrashedItem(const std::string& itemPath) {
    const std::string files = parentPath(itemPath);
    if (lastPathComponent(files) != "files") return std::nullopt;
    const std::string trash = parentPath(files);
    const auto text = readSmallFile(appendingPathComponent(appendingPathComponent(trash, "info"),
                                                           lastPathComponent(itemPath) + ".trashinfo"));
    if (!text) return std::nullopt;
    auto path = trashInfoPath(*text);
    if (!path || path->front() == '/') return path;
    // A mount's trash records paths below the mount's top folder: $topdir/.Trash-$uid
    // or $topdir/.Trash/$uid.
    std::string top = parentPath(trash);
    if (lastPathComponent(trash).starts_with(".Trash-")) {
        // top is already the mount's top folder
    } else if (lastPathComponent(top) == ".Trash") {
        top = parentPath(top);
    } else {
        return std::nullopt;
    }
    return appendingPathComponent(top, *path);
}

} // namespace plenwick
