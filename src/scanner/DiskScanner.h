#pragma once
// The one door to the scanner: a folder, a volume's mount point or a single file
// becomes the root of a complete FileNode tree.

#include "scanner/FileNode.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

struct ScanOptions {
    bool crossVolumes = false;         // descend into folders on another mount
    bool deduplicateHardLinks = true;  // count a file with several links once
    bool descendIntoPackages = true;   // record the contents of packages as nodes
    int workerCount = 0;               // 0 or less: automatic
};

struct ScanProgress {
    std::int64_t filesScanned = 0;
    std::int64_t directoriesScanned = 0;
    std::int64_t bytesScanned = 0;
    std::string currentPath;           // raw bytes
    std::int64_t errorCount = 0;
    friend bool operator==(const ScanProgress&, const ScanProgress&) = default;
};

// A target that cannot be scanned. Every case carries the normalised path.
class ScanError : public std::exception {
public:
    enum class Kind { notFound, permissionDenied, unreadable };
    ScanError(Kind kind, std::string path);
    Kind kind() const noexcept { return kind_; }
    const std::string& path() const noexcept { return path_; }
    // The text the user sees.
    const std::string& errorDescription() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    Kind kind_;
    std::string path_;
    std::string description_;
};

using ScanProgressCallback = std::function<void(const ScanProgress&)>;

// A regular file of a scanned tree that has more than one link, as the scan read it.
struct ScannedHardLink {
    NodeRef node; // in the scanned tree
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint32_t linkCount = 0;
};

struct ScanWithHardLinks {
    NodeRef root;
    // Every regular file of the tree with more than one link, in no particular order.
    std::vector<ScannedHardLink> hardLinks;
};

class DiskScanner {
public:
    // Scans `path` (raw bytes) and returns the root node. Blocks the calling thread
    // until the worker threads are done. Throws ScanError for a target that cannot
    // be scanned (`unreadable` with the path as given for a relative path whose
    // working folder cannot be found) and CancellationError when `stop` is requested
    // before or during the scan. `progress` is called on a worker thread at most
    // every 66 ms (once on the calling thread for a single file) and never after
    // cancellation.
    static NodeRef scan(std::string_view path, const ScanOptions& options, ScanProgressCallback progress,
                        std::stop_token stop = {});
    // The same without progress reports.
    static NodeRef scanQuietly(std::string_view path, const ScanOptions& options, std::stop_token stop = {});
    // Quietly, and with the record of the tree's files that have other links (a
    // folder scanned again on its own carries the tree's earlier hard-link decisions
    // over from it, without reading the disk a second time).
    static ScanWithHardLinks scanRecordingHardLinks(std::string_view path, const ScanOptions& options,
                                                    std::stop_token stop = {});
    // The same with progress reports, as `scan` makes them.
    static ScanWithHardLinks scanRecordingHardLinks(std::string_view path, const ScanOptions& options,
                                                    ScanProgressCallback progress, std::stop_token stop = {});
};

} // namespace plenwick
