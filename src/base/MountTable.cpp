#include "base/MountTable.h"

#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <utility>

namespace plenwick {
namespace {

// Fields are separated by exactly one space; a field may be empty (a mount made
// with an empty source shows as "tmpfs  rw"), so runs of spaces are not merged.
std::vector<std::string_view> splitSpaces(std::string_view line) {
    std::vector<std::string_view> fields;
    if (line.empty()) return fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = line.find(' ', start);
        fields.push_back(line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start));
        if (space == std::string_view::npos) return fields;
        start = space + 1;
    }
}

template <typename T>
bool parseNumber(std::string_view s, T& out) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

} // namespace

std::string unescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out.push_back(static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<Mount> parseMountInfo(std::string_view text) {
    std::vector<Mount> mounts;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;

        const auto f = splitSpaces(line);
        // id parent major:minor root mountpoint options [optional...] - type source superoptions
        if (f.size() < 10) continue;
        std::size_t sep = 6;
        while (sep < f.size() && f[sep] != "-") ++sep;
        if (sep + 3 > f.size()) continue;
        Mount m;
        const auto colon = f[2].find(':');
        unsigned major = 0, minor = 0;
        if (!parseNumber(f[0], m.mountID) || !parseNumber(f[1], m.parentID) || colon == std::string_view::npos ||
            !parseNumber(f[2].substr(0, colon), major) || !parseNumber(f[2].substr(colon + 1), minor))
            continue;
        m.device = makedev(major, minor);
        m.root = unescapeMountField(f[3]);
        m.path = unescapeMountField(f[4]);
        m.options = std::string(f[5]);
        m.type = unescapeMountField(f[sep + 1]);
        m.source = unescapeMountField(f[sep + 2]);
        if (sep + 3 < f.size()) m.superOptions = std::string(f[sep + 3]);
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::optional<std::vector<Mount>> readWholeMountTable() {
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return parseMountInfo(text);
}

std::vector<Mount> readMountTable() {
    std::optional<std::vector<Mount>> table = readWholeMountTable();
    return table ? std::move(*table) : std::vector<Mount>{};
}

} // namespace plenwick
