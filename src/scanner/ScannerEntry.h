#pragma once
// One listed entry of a folder, as the directory reader hands it to the entry
// accounting. The name points into the reader's buffer and is valid
// only until the reader moves on.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace plenwick {

struct ScannerEntry {
    enum class Type : std::uint8_t { file, directory, symlink, other };

    // The file flags the scanner's rules test. Linux names carry none of them (the
    // reader leaves `flags` 0), so the rules that test them never fire here.
    static constexpr std::uint32_t restrictedFlag = 0x80000u;  // a system-protected folder
    static constexpr std::uint32_t firmlinkFlag = 0x800000u;   // the same data reached from elsewhere
    static constexpr std::uint32_t datalessFlag = 0x40000000u; // contents not on the local disk

    const char* name = nullptr;   // raw bytes, not terminated as far as users care
    std::size_t nameLength = 0;
    Type type = Type::other;
    std::uint64_t device = 0;     // st_dev, 64-bit on Linux; left 0 for a file with one link
    std::uint64_t mountID = 0;    // STATX_MNT_ID, valid when hasMountID
    bool hasMountID = false;
    std::uint64_t fileID = 0;     // inode number
    std::uint32_t linkCount = 1;
    std::int64_t allocatedSize = 0;
    std::int64_t totalSize = 0;
    double modified = 0;
    std::uint32_t flags = 0;      // never set on Linux: inode flags mean other things
    std::int32_t entryCount = -1; // never known on Linux
    bool isMountPoint = false;    // STATX_ATTR_MOUNT_ROOT
    bool isTrigger = false;       // STATX_ATTR_AUTOMOUNT
    bool hasError = false;        // the attributes could not be read
    // A folder known from the listing alone (type and inode); its own status is read
    // once it is opened. Only on volumes whose listings give the real inode.
    bool statusDeferred = false;

    std::string_view nameView() const noexcept { return {name, nameLength}; }

    // Back to the defaults, with a new name (field by field: this runs per entry).
    void reset(const char* newName, std::size_t length) noexcept {
        name = newName;
        nameLength = length;
        type = Type::other;
        device = 0;
        mountID = 0;
        hasMountID = false;
        fileID = 0;
        linkCount = 1;
        allocatedSize = 0;
        totalSize = 0;
        modified = 0;
        flags = 0;
        entryCount = -1;
        isMountPoint = false;
        isTrigger = false;
        hasError = false;
        statusDeferred = false;
    }
};

} // namespace plenwick
