#include "scanner/FileCategory.h"

#include <algorithm>
#include <utility>

namespace plenwick {
namespace {

constexpr std::array<std::string_view, 12> rawValues{
    "applications", "documents", "images", "video",     "audio",  "archives",
    "diskImages",   "code",      "developer", "system", "folder", "other",
};

constexpr std::array<std::string_view, 12> titles{
    "Applications", "Documents", "Images",    "Video",  "Audio",   "Archives",
    "Disk Images",  "Source Code", "Developer", "System", "Folders", "Other",
};

constexpr std::array<std::string_view, 12> symbolNames{
    "app.dashed", "doc.text",   "photo",  "film",     "music.note", "archivebox",
    "opticaldiscdrive", "chevron.left.forwardslash.chevron.right", "hammer", "gearshape", "folder",
    "questionmark.square.dashed",
};

// One space-separated list per category that has extensions, in category order.
constexpr std::pair<FileCategory, std::string_view> extensionLists[] = {
    {FileCategory::applications, "app appex prefpane saver plugin bundle kext qlgenerator mdimporter xpc"},
    {FileCategory::documents,
     "pdf doc docx xls xlsx ppt pptx key pages numbers txt rtf rtfd md markdown csv tsv odt ods odp epub mobi tex "
     "log json xml yaml yml plist html htm webarchive"},
    {FileCategory::images,
     "jpg jpeg png gif heic heif tif tiff bmp raw cr2 cr3 nef arw dng orf rw2 psd ai eps svg webp ico icns sketch "
     "fig afphoto afdesign xcf exr hdr"},
    {FileCategory::video, "mov mp4 m4v avi mkv wmv flv webm mpg mpeg 3gp mts m2ts braw r3d prproj fcpbundle"},
    {FileCategory::audio, "mp3 m4a aac wav aiff aif flac alac ogg opus wma caf mid midi logicx band aup3"},
    {FileCategory::archives, "zip tar gz tgz bz2 tbz xz txz 7z rar zst lz4 lzma cab jar war xip pkg mpkg deb rpm"},
    {FileCategory::diskImages, "dmg iso img sparseimage sparsebundle vmdk vdi qcow2 vhd vhdx hdd pvm utm toast cdr"},
    {FileCategory::code,
     "swift m mm h hpp c cc cpp cxx cs java kt kts py rb go rs js mjs cjs ts tsx jsx php pl sh zsh bash fish lua r "
     "scala dart sql vue svelte css scss less erl ex exs hs clj elm nim zig"},
    {FileCategory::developer,
     "o a dylib so framework xcarchive dsym xcframework ipa xcodeproj xcworkspace playground pch pcm swiftmodule "
     "swiftdoc swiftinterface class pyc whl gem node lock map wasm car nib storyboardc momd"},
    {FileCategory::system,
     "sys dll kernel cache db sqlite sqlite3 sqlite-wal sqlite-shm vmem swap tmp bak dat bin idx ldb lproj"},
};

FileCategoryMap buildExtensionMap() {
    FileCategoryMap map;
    map.reserve(256);
    for (const auto& [category, list] : extensionLists) {
        std::size_t i = 0;
        while (i < list.size()) {
            const std::size_t space = std::min(list.find(' ', i), list.size());
            if (space > i) map.insert_or_assign(std::string(list.substr(i, space - i)), category);
            i = space + 1;
        }
    }
    return map;
}

} // namespace

std::string_view rawValue(FileCategory category) noexcept {
    const auto index = static_cast<std::size_t>(category);
    return index < rawValues.size() ? rawValues[index] : std::string_view{};
}

std::string_view fileCategoryTitle(FileCategory category) noexcept {
    const auto index = static_cast<std::size_t>(category);
    return index < titles.size() ? titles[index] : std::string_view{};
}

std::string_view fileCategorySymbolName(FileCategory category) noexcept {
    const auto index = static_cast<std::size_t>(category);
    return index < symbolNames.size() ? symbolNames[index] : std::string_view{};
}

std::optional<FileCategory> fileCategoryFromRawValue(std::string_view raw) noexcept {
    for (std::size_t i = 0; i < rawValues.size(); ++i)
        if (rawValues[i] == raw) return allFileCategories[i];
    return std::nullopt;
}

const FileCategoryMap& fileCategoryExtensionMap() {
    static const FileCategoryMap map = buildExtensionMap();
    return map;
}

std::optional<FileCategory> categoryForExtension(std::string_view extension) {
    const auto& map = fileCategoryExtensionMap();
    const auto it = map.find(extension);
    if (it == map.end()) return std::nullopt;
    return it->second;
}

FileCategory categoryFor(FileNode::Kind kind, std::string_view extension) {
    switch (kind) {
    case FileNode::Kind::package:
        if (extension == "app" || extension == "appex" || extension == "prefpane" || extension == "saver")
            return FileCategory::applications;
        return categoryForExtension(extension).value_or(FileCategory::folder);
    case FileNode::Kind::directory:
        return FileCategory::folder;
    default:
        return categoryForExtension(extension).value_or(FileCategory::other);
    }
}

FileCategory FileNode::category() const {
    ExtensionBuffer buffer;
    return categoryFor(kind(), fileExtensionView(name(), buffer));
}

} // namespace plenwick
