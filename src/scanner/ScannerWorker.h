#pragma once
// The private state and the work of one scanner thread: taking folders from the
// queue, opening, listing and accounting for their entries, and handing sub-folders
// on: each folder's last sub-folder is walked next on this thread (a chain of single
// folders never touches the queue), the others are walked inline while the queue
// holds work for every worker, and put on the queue otherwise. A worker with
// nothing queued helps read the entries of another's long listing.
//
// No folder is ever opened by a path that could follow a link: a sub-folder is
// opened beside its open parent (O_NOFOLLOW), a queued one beside its parent's
// anchor or, failing that, below the nearest anchored ancestor without following any
// link. What opens must be the folder its parent listed (device and inode); a folder
// swapped for another since is left out like a vanished one.

#include "scanner/ScannerDescriptorLedger.h"
#include "scanner/ScannerDirectoryReader.h"
#include "scanner/ScannerEngine.h"
#include "scanner/ScannerEntry.h"
#include "scanner/ScannerListingShare.h"
#include "scanner/ScannerPackageDetector.h"
#include "scanner/ScannerTally.h"
#include "scanner/ScannerVolumePolicy.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace plenwick {

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
        bool inFileSystemRoot;     // the folder is "/": its children's prefix is ""
        int sinceFlush = 0;
        std::int64_t size = 0;
        std::int64_t logicalSize = 0;
        std::int64_t fileCount = 0;
        bool realInodes = false;   // folders are taken from the listing alone
    };

    // Where a folder is opened from: the descriptor and the names below it (names_).
    struct Base {
        ScannerDirectory* anchor = nullptr; // whose anchor use this base took, if any
        int fd = -1;
    };

    // A folder of the batch taken from the queue: opened from where it can be, then walked.
    void processQueued(ScannerDirectory* d);
    // Where d is opened from: its parent's anchor while the batch holds a claim on
    // it, else the nearest anchored ancestor (a use of it is taken), else the scan
    // root's resolved path. Fills names_.
    Base baseFor(ScannerDirectory* d);
    void releaseBase(Base& base);
    // Lets go of the uses of an anchor the batch holds.
    void releaseBatchClaims();
    // Waits until retrying an open refused for want of descriptors may succeed;
    // false when the scan cannot go on (then it has failed) or was cancelled.
    bool awaitDescriptor(ScannerDescriptorLedger::Snapshot before,
                         std::chrono::steady_clock::time_point& giveUpAt, std::chrono::milliseconds& pause);

    // Lists d (open on fd, which this call owns), hands its sub-folders on, and goes
    // on with the last of them as long as it opens.
    // `status` is d's own, as admit read it.
    void walk(ScannerDirectory* d, int fd, int depth, struct statx status);
    // Opens sub-folder s of the folder this worker has open on parentFd and admits
    // it. -1 when s was settled otherwise: left out, inaccessible, or queued again.
    int openChild(ScannerDirectory* s, int parentFd, struct statx& status);
    // Checks an opened folder (volume, identity) and reads its facts; false (d marked
    // excluded or inaccessible) when it is not to be listed. `base`/`relative` reach
    // d for a confirming statx.
    bool admit(ScannerDirectory* d, int fd, int base, const char* relative, struct statx& status);
    bool isListedFolder(const ScannerDirectory& d, const struct statx& status, int base, const char* relative);
    // Closes a folder admit refused and finishes it.
    void refuse(ScannerDirectory* d, int fd);
    // Marks d after opening it failed with `error` (other than a descriptor shortage);
    // the caller finishes it.
    void markUnopened(ScannerDirectory* d, int error, int base, const char* relative);
    void closeFolder(int fd);

    bool enumerateDirectory(ScannerDirectory& d, int fd, const struct statx& status);
    // Accounts for the rest of a long batch, its entries read by idle workers too,
    // and reads the next batch meanwhile: returns what readBatch would (errno set).
    long shareBatch(int fd, const VolumeIdentity& volume, Listing& listing);
    void handleEntry(const ScannerEntry& e, Listing& listing);
    void store(Listing& listing);
    void discard();
    // Adds the tally to the engine's totals and reports progress when one is due.
    void flush(const ScannerDirectory& d);
    // d's full path, built into the worker's buffer (kept while the same folder asks).
    const std::string& pathOf(const ScannerDirectory& d);
    void finish(ScannerDirectory* d);
    void noteDescriptorShortage();

    ScannerEngine& engine_;
    ScannerDescriptorLedger& descriptors_;
    const bool descendIntoPackages_;
    const bool deduplicateHardLinks_;
    const bool recordsHardLinks_;
    const ScannerVolumePolicy policy_;
    ScannerDirectoryReader reader_;
    ScannerPackageDetector packages_;
    ScannerTally tally_;

    // Scratch space reused for every folder, so listing allocates nothing but nodes.
    std::vector<NodeRef> files_;
    std::vector<ScannerDirectory*> subdirectories_;
    // Files with other links: those of the listing under way, and those stored.
    std::vector<ScannedHardLink> listingLinks_;
    std::vector<ScannedHardLink> hardLinks_;
    std::string path_;
    const ScannerDirectory* pathOwner_ = nullptr;
    ScannerEngine::Batch batch_;
    ScannerListingShare shares_[2];
    int nextShare_ = 0;
    std::vector<std::string_view> names_; // from a base to the folder opened
    std::string joined_;                  // the same joined, for a confirming statx
};

} // namespace plenwick
