#include "scanner/DiskScanner.h"

#include "base/Cancellation.h"
#include "base/PathNames.h"
#include "base/Utf8.h"
#include "base/MountTable.h"
#include "scanner/ScanCompletion.h"
#include "scanner/ScannerDirectory.h"
#include "scanner/ScannerEngine.h"
#include "scanner/ScannerPackageDetector.h"
#include "scanner/ScannerVolumePolicy.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

namespace plenwick {
namespace {

// The target's status, links followed, with its mount when the kernel says.
struct TargetStatus {
    bool isDirectory = false;
    std::uint64_t device = 0;
    std::optional<std::uint64_t> mountID;
    std::int64_t blocks = 0;
    std::int64_t size = 0;
    double modified = 0;
};

// 0 on success, else the error number.
int statTarget(const std::string& path, TargetStatus& out) {
    struct statx stx;
    stx.stx_mask = 0;
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT,
                STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_BLOCKS | STATX_MTIME | STATX_MNT_ID, &stx) == 0) {
        out.isDirectory = S_ISDIR(stx.stx_mode);
        out.device = makedev(stx.stx_dev_major, stx.stx_dev_minor);
        if (stx.stx_mask & STATX_MNT_ID) out.mountID = stx.stx_mnt_id;
        out.blocks = static_cast<std::int64_t>(stx.stx_blocks);
        out.size = static_cast<std::int64_t>(stx.stx_size);
        out.modified = static_cast<double>(stx.stx_mtime.tv_sec) + static_cast<double>(stx.stx_mtime.tv_nsec) / 1e9;
        return 0;
    }
    if (errno != ENOSYS) return errno;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return errno;
    out.isDirectory = S_ISDIR(st.st_mode);
    out.device = st.st_dev;
    out.blocks = st.st_blocks;
    out.size = st.st_size;
    out.modified = static_cast<double>(st.st_mtim.tv_sec) + static_cast<double>(st.st_mtim.tv_nsec) / 1e9;
    return 0;
}

// The root's kind from its last component's extension: the text after the last "."
// (not a leading one), lowercased, of any length. Unlike a listed folder's, it is not
// cut at 16 bytes, so a root such as "Old.migratedphotolibrary" is a package.
FileNode::Kind rootKind(const std::string& path) {
    const std::string last = lastPathComponent(path);
    const auto dot = last.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == last.size()) return FileNode::Kind::directory;
    ScannerPackageDetector detector; // a fresh per-call cache in front of the process-wide one
    return detector.isPackage(asciiLower(repairUtf8(std::string_view(last).substr(dot + 1)))) ? FileNode::Kind::package
                                                                             : FileNode::Kind::directory;
}

void raiseOpenFileLimit() {
    rlimit limits{};
    if (getrlimit(RLIMIT_NOFILE, &limits) != 0) return;
    const rlim_t target = std::min<rlim_t>(limits.rlim_max, 10240);
    if (limits.rlim_cur < target) {
        limits.rlim_cur = target;
        setrlimit(RLIMIT_NOFILE, &limits); // a failure leaves the old limit
    }
}

// `hardLinks`, when given, receives the record of the tree's files with other links.
NodeRef runScan(std::string_view target, const ScanOptions& options, const ScanProgressCallback& progress,
                std::stop_token stop, std::vector<ScannedHardLink>* hardLinks = nullptr) {
    if (stop.stop_requested()) throw CancellationError();
    const std::optional<std::string> normalized = normalizePath(target);
    if (!normalized) throw ScanError(ScanError::Kind::unreadable, std::string(target));
    const std::string& p = *normalized;

    TargetStatus status;
    if (const int error = statTarget(p, status)) {
        if (error == EPERM || error == EACCES) throw ScanError(ScanError::Kind::permissionDenied, p);
        if (error == ENOENT || error == ENOTDIR) throw ScanError(ScanError::Kind::notFound, p);
        throw ScanError(ScanError::Kind::unreadable, p);
    }

    if (!status.isDirectory) {
        NodeRef node = FileNode::make(p, FileNode::Kind::file, status.blocks * 512, status.size, 1, status.modified);
        if (progress) progress(ScanProgress{1, 0, node->size(), p, 0});
        return node;
    }

    const int probe = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (probe < 0) {
        const int error = errno;
        if (error == EPERM || error == EACCES) throw ScanError(ScanError::Kind::permissionDenied, p);
        throw ScanError(ScanError::Kind::unreadable, p);
    }
    ::close(probe);

    const FileNode::Kind kind = rootKind(p);
    ScannerVolumePolicy policy =
        ScannerVolumePolicy::forScan(readMountTable(), {status.device, status.mountID}, options.crossVolumes);
    raiseOpenFileLimit();
    ScannerEngine engine(ScannerDirectory::create(p, kind, status.modified, nullptr, true, -1), options,
                         options.workerCount, std::move(policy), progress);
    if (hardLinks) engine.recordHardLinks();

    ScanCompletion completion;
    {
        std::stop_callback onStop(stop, [&engine] { engine.cancel(); });
        engine.start(&completion);
        completion.waitUntilDone();
    }
    // Every worker ends once the queue is closed (at the root's completion or on
    // cancellation); none is left behind when the scan returns.
    engine.join();
    NodeRef root = completion.wait();
    if (hardLinks) *hardLinks = engine.takeHardLinks();
    return root;
}

} // namespace

NodeRef DiskScanner::scan(std::string_view path, const ScanOptions& options, ScanProgressCallback progress,
                          std::stop_token stop) {
    return runScan(path, options, progress, std::move(stop));
}

NodeRef DiskScanner::scanQuietly(std::string_view path, const ScanOptions& options, std::stop_token stop) {
    return runScan(path, options, nullptr, std::move(stop));
}

ScanWithHardLinks DiskScanner::scanRecordingHardLinks(std::string_view path, const ScanOptions& options,
                                                      std::stop_token stop) {
    ScanWithHardLinks scan;
    scan.root = runScan(path, options, nullptr, std::move(stop), &scan.hardLinks);
    return scan;
}

ScanWithHardLinks DiskScanner::scanRecordingHardLinks(std::string_view path, const ScanOptions& options,
                                                      ScanProgressCallback progress, std::stop_token stop) {
    ScanWithHardLinks scan;
    scan.root = runScan(path, options, progress, std::move(stop), &scan.hardLinks);
    return scan;
}

} // namespace plenwick
