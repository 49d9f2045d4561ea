#pragma once
// The twelve file categories and the fixed table that maps an extension to one.

#include "base/StringHash.h"
#include "scanner/FileNode.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plenwick {

enum class FileCategory : std::uint8_t {
    applications,
    documents,
    images,
    video,
    audio,
    archives,
    diskImages,
    code,
    developer,
    system,
    folder,
    other,
};

inline constexpr std::array<FileCategory, 12> allFileCategories{
    FileCategory::applications, FileCategory::documents, FileCategory::images,     FileCategory::video,
    FileCategory::audio,        FileCategory::archives,  FileCategory::diskImages, FileCategory::code,
    FileCategory::developer,    FileCategory::system,    FileCategory::folder,     FileCategory::other,
};

// The category's raw value: its case name, e.g. "diskImages".
std::string_view rawValue(FileCategory category) noexcept;
// The category whose raw value is exactly `raw`, or none.
std::optional<FileCategory> fileCategoryFromRawValue(std::string_view raw) noexcept;

// The category's display title ("Applications", "Source Code", …).
std::string_view fileCategoryTitle(FileCategory category) noexcept;
// The name of the symbol that stands for the category ("doc.text", "photo", …).
std::string_view fileCategorySymbolName(FileCategory category) noexcept;

using FileCategoryMap = StringMap<FileCategory>;

// Lowercase extension → category: 237 entries, built once for the process.
const FileCategoryMap& fileCategoryExtensionMap();
// The table's category for a lowercase extension, or none.
std::optional<FileCategory> categoryForExtension(std::string_view extension);

// The category of an entry of this kind with this (lowercase) extension: packages
// with an app-like extension are applications, other packages take the table's
// category or count as folders; folders are folders; everything else takes the
// table's category or is other.
FileCategory categoryFor(FileNode::Kind kind, std::string_view extension);

} // namespace plenwick
