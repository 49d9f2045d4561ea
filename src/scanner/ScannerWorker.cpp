#include "scanner/ScannerWorker.h"

#include "scanner/ScannerDirectory.h"
#include "scanner/ScannerEngine.h"
#include "scanner/ScannerFolderResolver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace plenwick {
namespace {
constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int entriesPerFlush = 4096;
constexpr std::size_t minimumRecord = 24; // a getdents64 record of a name of up to 4 bytes
constexpr std::size_t keptScratchEntries = 1 << 16; // larger scratch lists are given back
constexpr unsigned folderStatus = STATX_TYPE | STATX_INO | STATX_MTIME | STATX_MNT_ID;

std::uint64_t deviceOf(const struct statx& s) noexcept { return makedev(s.stx_dev_major, s.stx_dev_minor); }

VolumeIdentity volumeOf(const struct statx& s) {
    VolumeIdentity volume{deviceOf(s), std::nullopt};
    if (s.stx_mask & STATX_MNT_ID) volume.mountID = s.stx_mnt_id;
    return volume;
}

double secondsOf(const struct statx_timestamp& t) noexcept {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
} // namespace

ScannerWorker::ScannerWorker(ScannerEngine& engine)
    : engine_(engine), descriptors_(engine.descriptors()), descendIntoPackages_(engine.options().descendIntoPackages),
      deduplicateHardLinks_(engine.options().deduplicateHardLinks), recordsHardLinks_(engine.recordsHardLinks()),
      policy_(engine.policy()) {}

ScannerWorker::~ScannerWorker() {
    discard();
    for (ScannerListingShare& share : shares_) engine_.awaitHelpers(&share);
}

void ScannerWorker::run() {
    // Linux has no dataless files to keep from materialising: no I/O policy to set.
    while (engine_.take(batch_)) {
        if (batch_.share) {
            while (batch_.share->describeNext(engine_.isCancelled())) {}
            engine_.leave(batch_.share);
            continue;
        }
        while (!batch_.folders.empty() && !engine_.isCancelled()) {
            ScannerDirectory* d = batch_.folders.back();
            batch_.folders.pop_back();
            processQueued(d);
        }
        // Folders left by a cancelled scan stay in the tree and are freed with it.
        releaseBatchClaims();
    }
    engine_.keepHardLinks(std::move(hardLinks_));
}

void ScannerWorker::releaseBatchClaims() {
    if (!batch_.claimed) return;
    engine_.releaseAnchor(batch_.parent, static_cast<std::int32_t>(batch_.claims));
    batch_.claims = 0;
    batch_.claimed = false;
    finish(batch_.parent); // the batch's piece
}

const std::string& ScannerWorker::pathOf(const ScannerDirectory& d) {
    if (pathOwner_ != &d) {
        path_.clear();
        d.appendPath(path_);
        pathOwner_ = &d;
    }
    return path_;
}

void ScannerWorker::flush(const ScannerDirectory& d) {
    if (engine_.flushTally(tally_)) engine_.report(pathOf(d));
}

void ScannerWorker::finish(ScannerDirectory* d) {
    pathOwner_ = nullptr; // d, and the ancestors it completes, may be freed from here on
    engine_.finish(d);
}

void ScannerWorker::noteDescriptorShortage() {
    pathOwner_ = nullptr; // folders may finish in there
    engine_.noteDescriptorShortage();
}

void ScannerWorker::closeFolder(int fd) {
    ::close(fd);
    descriptors_.closed();
}

// --- opening ---

ScannerWorker::Base ScannerWorker::baseFor(ScannerDirectory* d) {
    Base base;
    names_.clear();
    names_.push_back(d->name());
    if (batch_.claimed && d->parent == batch_.parent) {
        base.fd = d->parent->anchorFd;
        return base;
    }
    for (ScannerDirectory* a = d->parent; a; a = a->parent) {
        if (a->retainAnchor()) {
            base.anchor = a;
            base.fd = a->anchorFd;
            std::reverse(names_.begin(), names_.end());
            return base;
        }
        if (!a->parent) break;
        names_.push_back(a->name());
    }
    // No anchor left at all: below the scan root's resolved path, following no link.
    names_.push_back(engine_.resolvedRootPath());
    std::reverse(names_.begin(), names_.end());
    base.fd = AT_FDCWD;
    return base;
}

void ScannerWorker::releaseBase(Base& base) {
    if (base.anchor) engine_.releaseAnchor(base.anchor);
    base.anchor = nullptr;
}

void ScannerWorker::processQueued(ScannerDirectory* d) {
    pathOwner_ = nullptr;
    if (const auto& hook = ScannerEngine::folderHookForTesting()) hook(pathOf(*d));

    std::chrono::steady_clock::time_point giveUpAt{};
    std::chrono::milliseconds pause{1};
    for (;;) {
        const ScannerDescriptorLedger::Snapshot before = descriptors_.snapshot();
        Base base;
        int fd;
        const char* relative = d->cName();
        if (!d->parent) {
            fd = ::open(d->cName(), folderFlags); // the scan root, by its path as given
            base.fd = AT_FDCWD;
        } else {
            base = baseFor(d);
            if (names_.size() == 1) {
                fd = ::openat(base.fd, d->cName(), folderFlags | O_NOFOLLOW);
            } else {
                fd = ScannerFolderResolver::open(base.fd, names_, descriptors_);
                joined_ = ScannerFolderResolver::join(names_);
                relative = joined_.c_str();
            }
        }
        const int error = errno;
        if (fd >= 0) {
            descriptors_.opened();
            struct statx status;
            const bool admitted = admit(d, fd, base.fd, relative, status);
            // Let go of the base before d can finish: d may be what keeps it alive.
            releaseBase(base);
            if (admitted) walk(d, fd, 0, status);
            else refuse(d, fd);
            return;
        }
        if (error != EMFILE && error != ENFILE) {
            markUnopened(d, error, base.fd, relative);
            releaseBase(base);
            flush(*d);
            finish(d);
            return;
        }
        releaseBase(base);
        // The batch's claim keeps an anchor open that the workers may need now.
        releaseBatchClaims();
        noteDescriptorShortage();
        if (!awaitDescriptor(before, giveUpAt, pause)) return;
    }
}

bool ScannerWorker::awaitDescriptor(ScannerDescriptorLedger::Snapshot before,
                                    std::chrono::steady_clock::time_point& giveUpAt,
                                    std::chrono::milliseconds& pause) {
    using namespace std::chrono_literals;
    for (;;) {
        if (engine_.isCancelled()) return false;
        const ScannerDescriptorLedger::Snapshot now = descriptors_.snapshot();
        if (now.releases != before.releases) return true; // one came free since the attempt
        if (now.held > 0) {
            // Other workers (or anchors) will let go of theirs.
            noteDescriptorShortage();
            descriptors_.waitForRelease(before, 5ms);
            continue;
        }
        if (engine_.releaseRootAnchor()) return true;
        // The scan holds nothing it will release: only descriptors held elsewhere in
        // the process (or, for ENFILE, the system) can come free. Wait a while for
        // them, then give up: the scan cannot go on.
        const auto t = std::chrono::steady_clock::now();
        if (giveUpAt == std::chrono::steady_clock::time_point{}) giveUpAt = t + ScannerEngine::descriptorPatience;
        if (t >= giveUpAt) {
            engine_.fail(std::make_exception_ptr(ScanError(ScanError::Kind::unreadable, std::string(engine_.root()->name()))));
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
        return true;
    }
}

int ScannerWorker::openChild(ScannerDirectory* s, int parentFd, struct statx& status) {
    if (const auto& hook = ScannerEngine::folderHookForTesting()) hook(pathOf(*s));
    const int fd = ::openat(parentFd, s->cName(), folderFlags | O_NOFOLLOW);
    if (fd < 0) {
        const int error = errno;
        if (error == EMFILE || error == ENFILE) {
            // Opened again later, once this worker has closed what it holds.
            noteDescriptorShortage();
            engine_.put(s);
            return -1;
        }
        markUnopened(s, error, parentFd, s->cName());
        flush(*s);
        finish(s);
        return -1;
    }
    descriptors_.opened();
    if (admit(s, fd, parentFd, s->cName(), status)) return fd;
    refuse(s, fd);
    return -1;
}

bool ScannerWorker::admit(ScannerDirectory* d, int fd, int base, const char* relative, struct statx& status) {
    status.stx_mask = 0;
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, folderStatus, &status) != 0) {
        // Opened but unreadable: without its volume it can be neither checked nor listed.
        d->isInaccessible = true;
        ++tally_.errors;
        return false;
    }
    if (d->parent && (!policy_.allowsDevice(volumeOf(status)) || !isListedFolder(*d, status, base, relative))) {
        d->isExcluded = true; // another volume, or not the folder that was listed
        return false;
    }
    if (d->identity == ScannerDirectory::Identity::listing && (status.stx_mask & STATX_MTIME))
        d->modified = secondsOf(status.stx_mtime);
    return true;
}

void ScannerWorker::refuse(ScannerDirectory* d, int fd) {
    closeFolder(fd);
    flush(*d);
    finish(d);
}

bool ScannerWorker::isListedFolder(const ScannerDirectory& d, const struct statx& status, int base,
                                   const char* relative) {
    const std::uint64_t device = deviceOf(status);
    switch (d.identity) {
    case ScannerDirectory::Identity::unknown: return true;
    case ScannerDirectory::Identity::status: return device == d.listedDevice && status.stx_ino == d.listedInode;
    case ScannerDirectory::Identity::listing: break;
    }
    if (device == d.listedDevice) return status.stx_ino == d.listedInode;
    // On another device (a mount's or subvolume's root) the listing's inode is the
    // covered folder's: ask what the name leads to now.
    struct statx named;
    named.stx_mask = 0;
    if (::statx(base, relative, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, STATX_INO, &named) != 0)
        return false;
    return deviceOf(named) == device && named.stx_ino == status.stx_ino;
}

void ScannerWorker::markUnopened(ScannerDirectory* d, int error, int base, const char* relative) {
    if (error == ENOENT || error == ENOTDIR || error == ELOOP) {
        // Vanished, or replaced by something else (a link is never followed): left out, no error.
        d->isExcluded = true;
    } else {
        if (d->identity == ScannerDirectory::Identity::listing) {
            // Its status was to be read now: its date, or the error a listing with
            // every entry's status would have counted for it.
            struct statx status;
            status.stx_mask = 0;
            if (::statx(base, relative, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, STATX_MTIME,
                        &status) != 0)
                ++tally_.errors;
            else if (status.stx_mask & STATX_MTIME)
                d->modified = secondsOf(status.stx_mtime);
        }
        d->isInaccessible = true;
        ++tally_.errors;
    }
}

// --- walking ---

void ScannerWorker::walk(ScannerDirectory* d, int fd, int depth, struct statx status) {
    for (;;) {
        bool anchored = false;
        if (!d->parent) {
            engine_.anchorRoot(d, fd);
            anchored = true;
        }
        if (!enumerateDirectory(*d, fd, status)) { // cancelled: d is abandoned
            if (anchored) engine_.releaseAnchor(d);
            else closeFolder(fd);
            return;
        }

        // d's own piece is retired last, so d and its list stay alive meanwhile.
        const std::vector<ScannerDirectory*>& subfolders = d->subdirectories;
        const auto count = static_cast<std::uint32_t>(subfolders.size());
        d->pending.fetch_add(static_cast<std::int32_t>(count));
        flush(*d);

        bool anchorTried = anchored;
        for (std::uint32_t i = 0; i + 1 < count && !engine_.isCancelled();) {
            if (depth < ScannerEngine::inlineDepthLimit && engine_.queuedCount() >= engine_.workerCount()) {
                // Work enough for everyone: this one here and now.
                struct statx childStatus;
                const int childFd = openChild(subfolders[i], fd, childStatus);
                if (childFd >= 0) walk(subfolders[i], childFd, depth + 1, childStatus);
                ++i;
                continue;
            }
            // Hand work over: half of what is left before the last (all of it at the
            // depth limit), the way one folder at a time would have filled the queue.
            const std::uint32_t left = count - 1 - i;
            const std::uint32_t handed = depth < ScannerEngine::inlineDepthLimit ? (left + 1) / 2 : left;
            if (!anchorTried) {
                anchored = engine_.anchor(d, fd);
                anchorTried = true;
            }
            engine_.putRun(d, i, i + handed, anchored);
            i += handed;
            d->sortFiles(); // now that others have work (once)
        }
        d->sortFiles();

        ScannerDirectory* next = nullptr;
        int nextFd = -1;
        struct statx nextStatus;
        if (count > 0 && !engine_.isCancelled()) {
            next = subfolders[count - 1];
            nextFd = openChild(next, fd, nextStatus);
        }
        if (anchored) engine_.releaseAnchor(d);
        else closeFolder(fd);
        finish(d); // next keeps d alive until it is finished itself
        if (nextFd < 0) return;
        d = next;
        fd = nextFd;
        status = nextStatus;
    }
}

bool ScannerWorker::enumerateDirectory(ScannerDirectory& d, int fd, const struct statx& status) {
    ++tally_.directories;
    const VolumeIdentity volume = volumeOf(status);
    Listing listing{&d, d.isFileSystemRoot()};
    listing.realInodes = policy_.listsRealInodes(volume);
    discard();
    // On Linux no entry count is trusted, so expectedEntries is always -1 and the
    // listing runs to the final empty read.
    if (d.recordsChildren && d.expectedEntries > 0) files_.reserve(static_cast<std::size_t>(d.expectedEntries));

    bool readAny = false;
    int failure = 0;
    long n = engine_.isCancelled() ? 0 : reader_.readBatch(fd);
    for (;;) {
        if (engine_.isCancelled()) {
            discard();
            return false;
        }
        if (n == 0) break;
        if (n < 0) {
            failure = errno;
            break;
        }
        readAny = true;
        // Shared when it holds many names to read a status of (folders on most volumes
        // need none until they are opened).
        if (static_cast<std::size_t>(n) >= ScannerListingShare::leastNames * minimumRecord &&
            reader_.recordsToDescribe(listing.realInodes) >= ScannerListingShare::leastNames) {
            n = shareBatch(fd, volume, listing);
            continue;
        }
        ScannerEntry entry;
        while (reader_.next(fd, volume.device, volume.mountID.value_or(0), volume.mountID.has_value(),
                            listing.realInodes, entry))
            handleEntry(entry, listing);
        n = reader_.readBatch(fd);
    }
    for (ScannerListingShare& share : shares_) share.release();
    reader_.releaseSpare();

    if (failure) {
        if (readAny) {
            ++tally_.errors; // keep what was read
        } else if (failure == EPERM || failure == EACCES) {
            d.isInaccessible = true;
            ++tally_.errors;
            discard();
            return true;
        } else {
            listing.realInodes = false; // the fallback gives every entry's own status
            const auto result = ScannerDirectoryReader::readFallback(
                fd, volume.device, [this] { return engine_.isCancelled(); },
                [this, &listing](const ScannerEntry& e) { handleEntry(e, listing); });
            switch (result.status) {
            case ScannerDirectoryReader::FallbackStatus::completed: break;
            case ScannerDirectoryReader::FallbackStatus::permissionRefused:
                d.isInaccessible = true;
                ++tally_.errors;
                discard();
                return true;
            case ScannerDirectoryReader::FallbackStatus::cancelled: discard(); return false;
            case ScannerDirectoryReader::FallbackStatus::failed: ++tally_.errors; break;
            }
        }
    }
    store(listing);
    return true;
}

long ScannerWorker::shareBatch(int fd, const VolumeIdentity& volume, Listing& listing) {
    // Batches take turns between two shares: a worker that joined one late (and
    // finds nothing left) never holds up the next batch.
    nextShare_ ^= 1;
    ScannerListingShare& share = shares_[nextShare_];
    engine_.awaitHelpers(&share);
    reader_.makeSpare(); // nothing throws once others may be reading the batch
    share.begin(reader_, fd, volume.device, volume.mountID.value_or(0), volume.mountID.has_value(),
                listing.realInodes);
    engine_.offer(&share);
    // The next batch is read meanwhile, into the reader's other buffer.
    const long next = reader_.readBatchAside(fd);
    const int readError = errno;
    // In the listed order, each chunk once it is described; described here while
    // the next one is still being described elsewhere or not taken yet.
    const std::uint32_t chunks = share.chunkCount();
    for (std::uint32_t c = 0; c < chunks && !engine_.isCancelled(); ++c) {
        while (!share.isDescribed(c))
            if (!share.describeNext(false)) share.awaitChunk(c);
        for (const ScannerEntry* e = share.chunkBegin(c); e != share.chunkEnd(c); ++e)
            if (e->nameLength) handleEntry(*e, listing);
    }
    // Chunks left after a cancel are dropped here; those others took are waited
    // for, since they read the batch that is overwritten next.
    engine_.withdraw(&share);
    while (share.describeNext(true)) {}
    for (std::uint32_t c = 0; c < chunks; ++c) share.awaitChunk(c);
    errno = readError;
    return next;
}

void ScannerWorker::store(Listing& listing) {
    listing.folder->storeListing(listing.size, listing.logicalSize, listing.fileCount, files_, subdirectories_);
    if (!listingLinks_.empty()) {
        hardLinks_.insert(hardLinks_.end(), std::make_move_iterator(listingLinks_.begin()),
                          std::make_move_iterator(listingLinks_.end()));
        listingLinks_.clear();
    }
    files_.clear();
    subdirectories_.clear();
    if (files_.capacity() > keptScratchEntries) std::vector<NodeRef>().swap(files_);
    if (subdirectories_.capacity() > keptScratchEntries) std::vector<ScannerDirectory*>().swap(subdirectories_);
}

void ScannerWorker::discard() {
    files_.clear();
    listingLinks_.clear();
    for (ScannerDirectory* s : subdirectories_) ScannerDirectory::destroy(s);
    subdirectories_.clear();
}

void ScannerWorker::handleEntry(const ScannerEntry& e, Listing& listing) {
    ScannerDirectory& d = *listing.folder;
    if (e.hasError) ++tally_.errors;
    if (++listing.sinceFlush == entriesPerFlush) {
        listing.sinceFlush = 0;
        flush(d);
    }
    const std::string_view name = e.nameView();

    if (e.type == ScannerEntry::Type::directory) {
        // The folder's path is built only for the few names the skip rules look at.
        if (policy_.mayNeedSkipping(name, listing.inFileSystemRoot, e) &&
            policy_.shouldSkip(name, listing.inFileSystemRoot ? std::string_view{} : std::string_view(pathOf(d)), e))
            return;
        const FileNode::Kind kind = packages_.folderKind(name);
        const bool records = d.recordsChildren && (kind == FileNode::Kind::directory || descendIntoPackages_);
        const bool countTrusted = policy_.exactEntryCountUsable(e);
        if ((countTrusted && e.entryCount == 0) || (e.flags & ScannerEntry::datalessFlag)) {
            // Known empty, or its contents are not on this disk: a leaf, never opened.
            ++tally_.directories;
            if (d.recordsChildren) files_.push_back(FileNode::make(name, kind, 0, 0, 0, e.modified));
            return;
        }
        subdirectories_.push_back(nullptr); // room first, so the new state cannot leak
        ScannerDirectory* s =
            ScannerDirectory::create(name, kind, e.modified, &d, records, countTrusted ? e.entryCount : -1);
        subdirectories_.back() = s;
        s->listedDevice = e.device;
        s->listedInode = e.fileID;
        s->identity = e.hasError         ? ScannerDirectory::Identity::unknown
                      : e.statusDeferred ? ScannerDirectory::Identity::listing
                                         : ScannerDirectory::Identity::status;
        return;
    }

    if (e.type == ScannerEntry::Type::other && e.hasError) {
        if (d.recordsChildren) files_.push_back(FileNode::make(name, FileNode::Kind::inaccessible, 0, 0, 0, 0));
        return;
    }

    std::int64_t allocated = std::max<std::int64_t>(e.allocatedSize, 0);
    std::int64_t logical = std::max<std::int64_t>(e.totalSize, 0);
    if (deduplicateHardLinks_ && e.type == ScannerEntry::Type::file && e.linkCount > 1 &&
        !engine_.hardLinks().insert(e.device, e.fileID)) {
        allocated = 0; // a later copy of a file already counted
        logical = 0;
    }
    listing.size += allocated;
    listing.logicalSize += logical;
    ++listing.fileCount;
    ++tally_.files;
    tally_.bytes += allocated;
    if (d.recordsChildren) {
        files_.push_back(FileNode::make(
            name, e.type == ScannerEntry::Type::symlink ? FileNode::Kind::symlink : FileNode::Kind::file, allocated,
            logical, 1, e.modified));
        if (recordsHardLinks_ && e.type == ScannerEntry::Type::file && e.linkCount > 1)
            listingLinks_.push_back({files_.back(), e.device, e.fileID, e.linkCount});
    }
}

} // namespace plenwick
