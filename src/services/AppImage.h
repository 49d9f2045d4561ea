#pragma once
// AppImages (type 2): an ELF program followed by a squashfs image that holds the
// app's desktop entry and icon at its top. The image is read where it lies in the
// file; the file is never run.

#include "services/DesktopEntry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace plenwick {

// Bytes of the start of a file enough to tell an AppImage and find its image.
inline constexpr std::size_t appImageHeaderSize = 64;
// An icon larger than this is not read.
inline constexpr std::size_t maxAppImageIconSize = 4 * 1024 * 1024;
// The top-level entries looked at for the app's own: real images have one.
inline constexpr std::size_t maxAppImageEntriesTried = 8;

// Whether the first bytes are an ELF header carrying the type-2 mark "AI\x02" at byte 8.
bool hasAppImageMagic(std::string_view header) noexcept;

// Where the squashfs image starts: the end of the ELF section-header table
// (e_shoff + e_shentsize × e_shnum), for 32- and 64-bit, either byte order.
std::optional<std::uint64_t> appImageSquashfsOffset(std::string_view header) noexcept;

// What identifies the app: its application entry at the image's top.
struct AppImageContents {
    std::string fileName; // "foo.desktop"
    DesktopEntry entry;   // Type=Application
};

// Whether the file at `path` (not followed when a link) is a regular file with an
// AppImage header. Reads 64 bytes without blocking.
bool isAppImageFile(const std::string& path);

// The first application entry at the top of the AppImage at `path`, in the image's
// order: at most maxAppImageEntriesTried "*.desktop" names are looked at, each read
// only when within maxAppEntrySize. Nothing when it is no AppImage (a link, not a
// regular file, no type-2 header), its image can't be read or holds no such entry.
std::optional<AppImageContents> readAppImage(const std::string& path, std::stop_token stop = {});

// The AppImage's icon: ".DirIcon" at the image's top, else the file its entry's Icon
// names there (with ".png", ".svg" or ".xpm"), links inside the image followed;
// nothing when there is none or it is too large.
std::optional<std::string> readAppImageIcon(const std::string& path, const std::string& iconName,
                                            std::stop_token stop = {});

} // namespace plenwick
