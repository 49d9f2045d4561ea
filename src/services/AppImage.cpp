#include "services/AppImage.h"

#include "base/Descriptor.h"
#include "services/SquashfsImage.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

std::uint64_t field(std::string_view bytes, std::size_t at, std::size_t size, bool bigEndian) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[at + (bigEndian ? i : size - 1 - i)]);
        value = (value << 8) | byte;
    }
    return value;
}

// The file opened for reading without following a final link or blocking, when it
// is a regular file; its first bytes in `header`.
Descriptor openAppImage(const std::string& path, std::string& header) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    header.assign(appImageHeaderSize, '\0');
    std::size_t got = 0;
    while (got < header.size()) {
        const ssize_t n = ::pread(fd.get(), header.data() + got, header.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    header.resize(got);
    if (!hasAppImageMagic(header)) return {};
    return fd;
}

struct OpenedImage {
    Descriptor fd;
    std::unique_ptr<SquashfsImage> image;
};

OpenedImage openImage(const std::string& path, const std::stop_token& stop) {
    std::string header;
    OpenedImage opened{openAppImage(path, header), nullptr};
    if (!opened.fd) return {};
    const std::optional<std::uint64_t> offset = appImageSquashfsOffset(header);
    if (!offset) return {};
    opened.image = SquashfsImage::open(opened.fd.get(), *offset, stop);
    return opened;
}

} // namespace

bool hasAppImageMagic(std::string_view header) noexcept {
    return header.size() >= 11 && header.substr(0, 4) == "\x7f" "ELF" && header.substr(8, 3) == std::string_view("AI\x02", 3);
}

std::optional<std::uint64_t> appImageSquashfsOffset(std::string_view header) noexcept {
    if (!hasAppImageMagic(header) || header.size() < appImageHeaderSize) return std::nullopt;
    const char elfClass = header[4], byteOrder = header[5];
    if (byteOrder != 1 && byteOrder != 2) return std::nullopt;
    const bool big = byteOrder == 2;
    std::uint64_t tableStart = 0, entrySize = 0, entries = 0;
    if (elfClass == 2) {
        tableStart = field(header, 40, 8, big);
        entrySize = field(header, 58, 2, big);
        entries = field(header, 60, 2, big);
    } else if (elfClass == 1) {
        tableStart = field(header, 32, 4, big);
        entrySize = field(header, 46, 2, big);
        entries = field(header, 48, 2, big);
    } else {
        return std::nullopt;
    }
    const std::uint64_t tableSize = entrySize * entries;
    if (tableStart > std::numeric_limits<std::uint64_t>::max() - tableSize) return std::nullopt;
    return tableStart + tableSize;
}

bool isAppImageFile(const std::string& path) {
    std::string header;
    return static_cast<bool>(openAppImage(path, header));
}

std::optional<AppImageContents> readAppImage(const std::string& path, std::stop_token stop) {
    OpenedImage opened = openImage(path, stop);
    if (!opened.image) return std::nullopt;
    const std::optional<std::vector<std::string>> names = opened.image->topLevelNames();
    if (!names) return std::nullopt;
    std::size_t tried = 0;
    for (const std::string& name : *names) {
        if (!name.ends_with(".desktop") || name.size() == 8) continue;
        if (tried++ == maxAppImageEntriesTried || stop.stop_requested()) break;
        const std::optional<std::string> bytes = opened.image->readFile(name, maxAppEntrySize);
        if (!bytes) continue;
        std::optional<DesktopEntry> entry = parseDesktopEntry(*bytes);
        if (entry && entry->type == "Application") return AppImageContents{name, std::move(*entry)};
    }
    return std::nullopt;
}

std::optional<std::string> readAppImageIcon(const std::string& path, const std::string& iconName,
                                            std::stop_token stop) {
    OpenedImage opened = openImage(path, stop);
    if (!opened.image) return std::nullopt;
    if (auto icon = opened.image->readFile(".DirIcon", maxAppImageIconSize)) return icon;
    // An Icon key names a theme icon without an extension; one with a "/" is no name
    // at the image's top.
    if (iconName.empty() || iconName.find('/') != std::string::npos || iconName == "." || iconName == "..")
        return std::nullopt;
    for (const char* extension : {".png", ".svg", ".xpm", ""})
        if (auto icon = opened.image->readFile(iconName + extension, maxAppImageIconSize)) return icon;
    return std::nullopt;
}

} // namespace plenwick
