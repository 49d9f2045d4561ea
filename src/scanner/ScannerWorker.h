#pragma once
// The private state and the work of one scanner thread: taking folders from the queue, opening, listing and accounting for their entries,
// and descending into sub-folders inline or handing them to the queue.

#include "scanner/ScannerDirectoryReader.h"
#include "scanner/ScannerEntry.h"
#include "scanner/ScannerPackageDetector.h"
#include "scanner/ScannerTally.h"
#include "scanner/ScannerVolumePolicy.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plenwick {

class ScannerEngine;
class ScannerDirectory;

class ScannerWorker {
public:
    explicit ScannerWorker(ScannerEngine& engine);
    ~ScannerWorker();
    ScannerWorker(const ScannerWorker&) = delete;
    ScannerWorker& operator=(const ScannerWorker&) = delete;

    // Takes folders from the queue until it is closed or the scan is cancelled.
    void run();

private:
    // What a listing gathers before it is stored in its folder.
    struct Listing {
        ScannerDirectory* folder;
        std::string_view prefix;   // the folder's path, "" for "/"
        int sinceFlush = 0;
        std::int64_t size = 0;
        std::int64_t logicalSize = 0;
        std::int64_t fileCount = 0;
    };

    void processFolder(ScannerDirectory* d, int parentFd, int depth);
    // Opens a folder by its full path; below the root, a path longer than PATH_MAX is
    // walked component by component with openat. Returns the descriptor or -1 (errno).
    int openByPath(ScannerDirectory* d);
    bool enumerateDirectory(ScannerDirectory& d, int fd, std::uint64_t device, std::uint64_t mountID,
                            bool hasMountID);
    void handleEntry(const ScannerEntry& e, Listing& listing);
    void store(Listing& listing);
    void discard();
    // Adds the tally to the engine's totals and reports progress when one is due.
    void flush(const ScannerDirectory& d);
    // d's full path, built into the worker's buffer (kept while the same folder asks).
    const std::string& pathOf(const ScannerDirectory& d);
    void finish(ScannerDirectory* d);

    ScannerEngine& engine_;
    const bool descendIntoPackages_;
    const bool deduplicateHardLinks_;
    const ScannerVolumePolicy policy_;
    ScannerDirectoryReader reader_;
    ScannerPackageDetector packages_;
    ScannerTally tally_;

    // Scratch space reused for every folder, so listing allocates nothing but nodes.
    std::vector<NodeRef> files_;
    std::vector<ScannerDirectory*> subdirectories_;
    std::array<std::vector<ScannerDirectory*>, 26> subfolderLists_; // one per inline depth
    std::string path_;
    const ScannerDirectory* pathOwner_ = nullptr;
};

} // namespace plenwick
