#include "scanner/ScannerWorker.h"

#include "scanner/ScannerDirectory.h"
#include "scanner/ScannerEngine.h"

#include <fcntl.h>
#include <limits.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace plenwick {
namespace {
constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int entriesPerFlush = 4096;
constexpr std::size_t keptScratchEntries = 1 << 16; // larger scratch lists are given back
} // namespace

ScannerWorker::ScannerWorker(ScannerEngine& engine)
    : engine_(engine), descendIntoPackages_(engine.options().descendIntoPackages),
      deduplicateHardLinks_(engine.options().deduplicateHardLinks), policy_(engine.policy()) {}

ScannerWorker::~ScannerWorker() { discard(); }

void ScannerWorker::run() {
    // Linux has no dataless files to keep from materialising: no I/O policy to set.
    while (ScannerDirectory* d = engine_.take()) {
        if (engine_.isCancelled()) return; // the folder stays in the tree and is freed with it
        processFolder(d, -1, 0);
    }
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
    if (pathOwner_ == d) pathOwner_ = nullptr; // d may be freed from here on
    engine_.finish(d);
}

int ScannerWorker::openByPath(ScannerDirectory* d) {
    const bool isRoot = d->parent == nullptr;
    const int flags = folderFlags | (isRoot ? 0 : O_NOFOLLOW);
    const std::string& path = pathOf(*d);
    if (path.size() < PATH_MAX) return ::open(path.c_str(), flags);

    // Too long for one call: open the scan root by its path, then each component
    // below it relative to the one before, never following a link.
    std::vector<const ScannerDirectory*> chain;
    const ScannerDirectory* top = d;
    for (; top->parent; top = top->parent) chain.push_back(top);
    int fd = ::open(top->cName(), folderFlags);
    for (std::size_t i = chain.size(); fd >= 0 && i-- > 0;) {
        const int next = ::openat(fd, chain[i]->cName(), folderFlags | O_NOFOLLOW);
        const int error = errno;
        ::close(fd);
        errno = error;
        fd = next;
    }
    return fd;
}

void ScannerWorker::processFolder(ScannerDirectory* d, int parentFd, int depth) {
    pathOwner_ = nullptr;
    if (const auto& hook = ScannerEngine::folderHookForTesting()) hook(pathOf(*d));

    const int fd = parentFd >= 0 ? ::openat(parentFd, d->cName(), folderFlags | O_NOFOLLOW) : openByPath(d);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR || error == ELOOP) {
            // Vanished or replaced by something else: left out, no error.
            d->isExcluded = true;
            flush(*d);
            finish(d);
            return;
        }
        if (error == EMFILE || error == ENFILE) {
            if (parentFd >= 0) {
                engine_.put(d); // opened later by its path, with this thread's descriptors closed
                return;
            }
            if (engine_.openDescriptors().load() > 0) {
                // Other workers hold descriptors they are about to close: try again
                // later rather than lose the folder.
                sched_yield();
                engine_.put(d);
                return;
            }
        }
        d->isInaccessible = true;
        ++tally_.errors;
        flush(*d);
        finish(d);
        return;
    }
    engine_.openDescriptors().fetch_add(1);
    const auto closeFolder = [&] {
        ::close(fd);
        engine_.openDescriptors().fetch_sub(1);
    };

    VolumeIdentity volume;
    struct statx stx;
    stx.stx_mask = 0;
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_MNT_ID, &stx) != 0) {
        // Opened but unreadable: without its device it can be neither checked nor listed.
        d->isInaccessible = true;
        ++tally_.errors;
        flush(*d);
        finish(d);
        closeFolder();
        return;
    }
    volume.device = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    if (stx.stx_mask & STATX_MNT_ID) volume.mountID = stx.stx_mnt_id;
    if (d->parent && !policy_.allowsDevice(volume)) {
        d->isExcluded = true;
        flush(*d);
        finish(d);
        closeFolder();
        return;
    }

    if (!enumerateDirectory(*d, fd, volume.device, volume.mountID.value_or(0), volume.mountID.has_value())) {
        closeFolder();
        return;
    }

    // Take the sub-folder list before retiring d's own piece: from then on another
    // worker may finalise d and free it and its list.
    std::vector<ScannerDirectory*>& subfolders = subfolderLists_[static_cast<std::size_t>(depth)];
    subfolders.assign(d->subdirectories.begin(), d->subdirectories.end());
    d->pending.fetch_add(static_cast<std::int32_t>(subfolders.size()));
    flush(*d);
    finish(d);

    for (ScannerDirectory* s : subfolders) {
        if (engine_.isCancelled()) break;
        if (depth < ScannerEngine::inlineDepthLimit && engine_.queuedCount() >= engine_.workerCount())
            processFolder(s, fd, depth + 1);
        else
            engine_.put(s);
    }
    subfolders.clear();
    closeFolder();
}

bool ScannerWorker::enumerateDirectory(ScannerDirectory& d, int fd, std::uint64_t device, std::uint64_t mountID,
                                       bool hasMountID) {
    ++tally_.directories;
    Listing listing{&d, d.isFileSystemRoot() ? std::string_view{} : std::string_view(pathOf(d))};
    discard();
    // On Linux no entry count is trusted, so expectedEntries is always -1 and the
    // listing runs to the final empty read.
    if (d.recordsChildren && d.expectedEntries > 0) files_.reserve(static_cast<std::size_t>(d.expectedEntries));

    bool readAny = false;
    int failure = 0;
    for (;;) {
        if (engine_.isCancelled()) {
            discard();
            return false;
        }
        const long n = reader_.readBatch(fd);
        if (n == 0) break;
        if (n < 0) {
            failure = errno;
            break;
        }
        readAny = true;
        ScannerEntry entry;
        while (reader_.next(fd, device, mountID, hasMountID, entry)) handleEntry(entry, listing);
    }

    if (failure) {
        if (readAny) {
            ++tally_.errors; // keep what was read
        } else if (failure == EPERM || failure == EACCES) {
            d.isInaccessible = true;
            ++tally_.errors;
            discard();
            return true;
        } else {
            const auto result = ScannerDirectoryReader::readFallback(
                fd, device, [this] { return engine_.isCancelled(); },
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

void ScannerWorker::store(Listing& listing) {
    ScannerDirectory& d = *listing.folder;
    d.size = listing.size;
    d.logicalSize = listing.logicalSize;
    d.fileCount = listing.fileCount;
    if (d.recordsChildren && (!files_.empty() || !subdirectories_.empty())) {
        // Exactly the room the children will need: these files and the sub-folders' nodes.
        d.files.reserve(files_.size() + subdirectories_.size());
        std::move(files_.begin(), files_.end(), std::back_inserter(d.files));
    }
    d.subdirectories.assign(subdirectories_.begin(), subdirectories_.end());
    files_.clear();
    subdirectories_.clear();
    if (files_.capacity() > keptScratchEntries) std::vector<NodeRef>().swap(files_);
    if (subdirectories_.capacity() > keptScratchEntries) std::vector<ScannerDirectory*>().swap(subdirectories_);
}

void ScannerWorker::discard() {
    files_.clear();
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
        if (policy_.shouldSkip(name, listing.prefix, e)) return;
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
        subdirectories_.back() =
            ScannerDirectory::create(name, kind, e.modified, &d, records, countTrusted ? e.entryCount : -1);
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
    if (d.recordsChildren)
        files_.push_back(FileNode::make(
            name, e.type == ScannerEntry::Type::symlink ? FileNode::Kind::symlink : FileNode::Kind::file, allocated,
            logical, 1, e.modified));
}

} // namespace plenwick
