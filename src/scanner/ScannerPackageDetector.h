#pragma once
// Whether a folder's extension names a package two fixed sets, then a
// per-worker cache in front of one process-wide cache. Linux has no registry of
// uniform types that would declare more packages, so any other extension is not one.

#include "base/StringHash.h"
#include "scanner/FileNode.h"

#include <string_view>

namespace plenwick {

class ScannerPackageDetector {
public:
    // `extension` is already lowercased.
    bool isPackage(std::string_view extension);
    // The kind of a folder entry named `rawName` (bytes): `package` when the text
    // after its last "." (not the first byte, 1 to 16 bytes long) decodes, lowercased,
    // to a package extension; otherwise `directory`.
    FileNode::Kind folderKind(std::string_view rawName);

    static bool isKnownPackageExtension(std::string_view extension) noexcept;
    static bool isKnownNonPackageExtension(std::string_view extension) noexcept;

private:
    StringMap<bool> cache_;
};

} // namespace plenwick
