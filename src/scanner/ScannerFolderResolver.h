#pragma once
// The scan's way to open a folder below an open folder without following any link
// (FolderResolver), counting what it opens on the way in the scan's descriptor ledger.

#include "base/FolderResolver.h"

#include <span>
#include <string>
#include <string_view>

namespace plenwick {

class ScannerDescriptorLedger;

class ScannerFolderResolver {
public:
    // FolderResolver::open; descriptors opened on the way are reported to `ledger`,
    // the one returned is not.
    static int open(int base, std::span<const std::string_view> names, ScannerDescriptorLedger& ledger);

    static std::string join(std::span<const std::string_view> names) { return FolderResolver::join(names); }
    static bool usesOpenat2() noexcept { return FolderResolver::usesOpenat2(); }
    static void forceNameByNameForTesting(bool on) noexcept { FolderResolver::forceNameByNameForTesting(on); }
};

} // namespace plenwick
