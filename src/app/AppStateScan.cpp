// The road of one scan through the state: start, progress, finish or failure,
// cancel, and the reset that clears the previous results.

#include "app/AppState.h"
#include "app/NodeMapping.h"
#include "base/Cancellation.h"
#include "base/Utf8.h"
#include "runtime/BackgroundTask.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <system_error>

namespace plenwick {

struct AppState::ScanOutcome {
    NodeRef root;
    TreeHardLinks hardLinks;
    std::vector<FileTypeStat> stats;
    std::exception_ptr error;
    std::optional<FolderVolume> rootVolume;
    bool fullDiskAccessIsOff = false; // probed after a refusal
};

void AppState::startScan(const std::string& path) {
    if (path.find('\0') != std::string::npos) return;
    Operation op(*this);
    cancelScan();
    resetResults();
    const std::string target = normalizedPath(path);
    const std::int64_t generation = scan_.start(target);
    assignScanVolume(volumeMatching(target));
    if (!volumes_.scanVolume()) {
        refreshScanVolume(target, [generation](const AppState& state) { return state.scan_.generation() == generation; });
    }

    const std::stop_source task = scan_.task();
    const ScanOptions options = scan_.options();
    // Runs on the scanner's worker threads: only a copy of the report crosses over.
    ScanProgressCallback progress = [weak = QPointer<AppState>(this), generation](const ScanProgress& report) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        QMetaObject::invokeMethod(
            app,
            [weak, generation, report] {
                if (weak) weak->deliverProgress(generation, report);
            },
            Qt::QueuedConnection);
    };
    runInBackground(
        *environment_.userInitiated, this,
        [target, options, progress = std::move(progress), stop = task.get_token(),
         accessIsOff = environment_.fullDiskAccessIsOff] {
            ScanOutcome outcome;
            try {
                ScanWithHardLinks scan = DiskScanner::scanRecordingHardLinks(target, options, progress, stop);
                outcome.root = std::move(scan.root);
                outcome.hardLinks = TreeHardLinks::fromScan(std::move(scan.hardLinks));
                if (stop.stop_requested()) throw CancellationError();
                outcome.stats = computeTypeStats(outcome.root, stop);
                outcome.rootVolume = volumeOfScanTarget(target);
            } catch (...) {
                outcome.error = std::current_exception();
                if (accessIsOff && scanErrorNeedsFullDiskAccess(outcome.error))
                    outcome.fullDiskAccessIsOff = accessIsOff();
            }
            return outcome;
        },
        [this, generation, task](ScanOutcome outcome) { deliverScan(generation, task, std::move(outcome)); },
        [this, generation, task](std::exception_ptr error) {
            ScanOutcome outcome;
            outcome.error = std::move(error);
            deliverScan(generation, task, std::move(outcome));
        });
}

void AppState::deliverProgress(std::int64_t generation, ScanProgress progress) {
    Operation op(*this);
    scan_.report(generation, std::move(progress));
}

namespace {

// The message of the failure screen: display text, so a path that is not valid
// UTF-8 shows replacement characters rather than broken text.
std::string describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const ScanError& e) {
        return repairUtf8(e.errorDescription());
    } catch (const std::exception& e) {
        return repairUtf8(e.what());
    } catch (...) {
        return "The scan failed for an unknown reason.";
    }
}

bool isCancellation(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const CancellationError&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

void AppState::deliverScan(std::int64_t generation, const std::stop_source& task, ScanOutcome outcome) {
    if (outcome.error && isCancellation(outcome.error)) return;
    if (!scan_.isCurrent(generation, task)) return;
    if (outcome.error) {
        Operation op(*this);
        // A refusal sends the user to Full Disk Access only when the probe says it is off;
        // where there is no such setting (Linux) the folder's own permissions refused.
        const bool offer = outcome.fullDiskAccessIsOff && scanErrorNeedsFullDiskAccess(outcome.error);
        scan_.fail(describe(outcome.error), offer);
        return;
    }
    finishScan(std::move(outcome.root), std::move(outcome.stats), std::move(outcome.hardLinks));
    results_.setRootVolume(outcome.rootVolume);
}

bool AppState::scanErrorNeedsFullDiskAccess(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const ScanError& e) {
        return e.kind() == ScanError::Kind::permissionDenied;
    } catch (const std::system_error& e) {
        const auto& category = e.code().category();
        const bool posix = category == std::generic_category() || category == std::system_category();
        return posix && (e.code().value() == EACCES || e.code().value() == EPERM);
    } catch (...) {
        return false;
    }
}

std::vector<FileTypeStat> AppState::computeTypeStats(const NodeRef& root, std::stop_token stop) {
    auto collected = FileTypeStatsBuilder::collect(root, stop);
    if (!collected) return {};
    return FileTypeStatsBuilder::makeStats(*collected);
}

void AppState::cancelScan() {
    Operation op(*this);
    scan_.stop();
    if (scan_.phase().kind() == Phase::Kind::scanning) scan_.setPhase(root() ? Phase::results() : Phase::home());
}

// What belonged to the previous results: every node of the tree, the highlight, a
// collector-mode uninstall session and the rescans under way (their outcomes are
// dropped by the generation).
void AppState::clearNodeState() {
    remapNodes(ClearedTree());
    presentation_.setTypeFilter(std::nullopt);
    alerts_.closeCollectorSession();
    results_.clearRefreshing();
}

void AppState::resetResults() {
    Operation op(*this);
    scan_.beginResults();
    typeStatistics_.clear();
    clearNodeState();
    results_.setRoot(NodeRef());
    results_.setRootVolume(std::nullopt);
    presentation_.resetFolderColors();
    results_.bumpTreeVersion();
}

void AppState::finishScan(NodeRef root, std::vector<FileTypeStat> stats, TreeHardLinks hardLinks) {
    Operation op(*this);
    scan_.beginResults();
    typeStatistics_.cancelUpdates();
    results_.setRootVolume(std::nullopt);
    clearNodeState();
    results_.setRoot(root);
    results_.setHardLinks(std::move(hardLinks));
    navigation_.setFocus(std::move(root));
    applyTypeStats(std::move(stats));
    results_.bumpTreeVersion();
    scan_.finish();
    refreshScanVolumeForRoot();
}

void AppState::applyTypeStats(std::vector<FileTypeStat> stats) {
    Operation op(*this);
    typeStatistics_.replace(std::move(stats));
}

} // namespace plenwick
