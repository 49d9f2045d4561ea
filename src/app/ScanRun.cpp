#include "app/ScanRun.h"

#include "app/Alerts.h"
#include "app/FailureText.h"
#include "app/Navigation.h"
#include "app/NodeMapping.h"
#include "app/Presentation.h"
#include "app/ScanResults.h"
#include "app/StatsUpdates.h"
#include "app/VolumeRefresh.h"
#include "base/Cancellation.h"
#include "base/PathNames.h"
#include "runtime/BackgroundTask.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <system_error>

namespace plenwick {

namespace {

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

struct ScanRun::Outcome {
    NodeRef root;
    TreeHardLinks hardLinks;
    std::vector<FileTypeStat> stats;
    std::exception_ptr error;
    std::optional<FolderVolume> rootVolume;
    bool fullDiskAccessIsOff = false; // probed after a refusal
};

void ScanRun::start(const std::string& path) {
    if (path.find('\0') != std::string::npos) return;
    StateChanges::Operation op(changes_);
    cancel();
    reset();
    const std::string target = normalizedPathOrSelf(path);
    const std::int64_t generation = session_.start(target);
    VolumeRefresh& volumes = parts_.volumes;
    volumes.assignScanVolume(volumes.volumes().matching(target));
    if (!volumes.volumes().scanVolume())
        volumes.refreshScanVolume(target, [this, generation] { return session_.generation() == generation; });

    const std::stop_source task = session_.task();
    const ScanOptions options = session_.options();
    // Runs on the scanner's worker threads: only a copy of the report crosses over.
    ScanProgressCallback progress = [weak = QPointer<QObject>(&lifetime_), this, generation](const ScanProgress& report) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        QMetaObject::invokeMethod(
            app,
            [weak, this, generation, report] {
                if (weak) deliverProgress(generation, report);
            },
            Qt::QueuedConnection);
    };
    runInBackground(
        *environment_.userInitiated, &lifetime_,
        [target, options, progress = std::move(progress), stop = task.get_token(),
         accessIsOff = environment_.fullDiskAccessIsOff] {
            Outcome outcome;
            try {
                ScanWithHardLinks scan = DiskScanner::scanRecordingHardLinks(target, options, progress, stop);
                outcome.root = std::move(scan.root);
                outcome.hardLinks = TreeHardLinks::fromScan(std::move(scan.hardLinks));
                if (stop.stop_requested()) throw CancellationError();
                outcome.stats = StatsUpdates::compute(outcome.root, stop);
                outcome.rootVolume = volumeOfScanTarget(target);
            } catch (...) {
                outcome.error = std::current_exception();
                if (accessIsOff && needsFullDiskAccess(outcome.error)) outcome.fullDiskAccessIsOff = accessIsOff();
            }
            return outcome;
        },
        [this, generation, task](Outcome outcome) { deliver(generation, task, std::move(outcome)); },
        [this, generation, task](std::exception_ptr error) {
            Outcome outcome;
            outcome.error = std::move(error);
            deliver(generation, task, std::move(outcome));
        });
}

void ScanRun::rescanAll() {
    if (const NodeRef& root = parts_.results.root()) {
        start(root->url());
    } else if (session_.target()) {
        const std::string target = *session_.target();
        start(target);
    }
}

void ScanRun::deliverProgress(std::int64_t generation, ScanProgress progress) {
    StateChanges::Operation op(changes_);
    session_.report(generation, std::move(progress));
}

void ScanRun::deliver(std::int64_t generation, const std::stop_source& task, Outcome outcome) {
    if (outcome.error && isCancellation(outcome.error)) return;
    if (!session_.isCurrent(generation, task)) return;
    StateChanges::Operation op(changes_);
    if (outcome.error) {
        // A refusal sends the user to Full Disk Access only when the probe says it is off;
        // where there is no such setting (Linux) the folder's own permissions refused.
        const bool offer = outcome.fullDiskAccessIsOff && needsFullDiskAccess(outcome.error);
        session_.fail(failureText(outcome.error, "The scan failed for an unknown reason."), offer);
        return;
    }
    finish(std::move(outcome.root), std::move(outcome.stats), std::move(outcome.hardLinks));
    parts_.results.setRootVolume(outcome.rootVolume);
}

bool ScanRun::needsFullDiskAccess(const std::exception_ptr& error) {
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

void ScanRun::cancel() {
    StateChanges::Operation op(changes_);
    session_.stop();
    if (session_.phase().kind() == ScanSession::Phase::Kind::scanning)
        session_.setPhase(parts_.results.root() ? ScanSession::Phase::results() : ScanSession::Phase::home());
}

// What belonged to the previous results: every node of the tree, the highlight, a
// collector-mode uninstall session and the rescans under way (their outcomes are
// dropped by the generation).
void ScanRun::clearNodeState() {
    parts_.results.remapNodes(ClearedTree());
    parts_.presentation.setTypeFilter(std::nullopt);
    parts_.alerts.closeCollectorSession();
    parts_.results.clearRefreshing();
}

void ScanRun::reset() {
    StateChanges::Operation op(changes_);
    ScanResults& results = parts_.results;
    results.beginResults();
    parts_.stats.statistics().clear();
    clearNodeState();
    results.setRoot(NodeRef());
    results.setRootVolume(std::nullopt);
    parts_.presentation.resetFolderColors();
    results.bumpTreeVersion();
}

void ScanRun::finish(NodeRef root, std::vector<FileTypeStat> stats, TreeHardLinks hardLinks) {
    StateChanges::Operation op(changes_);
    ScanResults& results = parts_.results;
    results.beginResults();
    parts_.stats.statistics().cancelUpdates();
    results.setRootVolume(std::nullopt);
    clearNodeState();
    results.setRoot(root);
    results.setHardLinks(std::move(hardLinks));
    parts_.navigation.setFocus(std::move(root));
    parts_.stats.apply(std::move(stats));
    results.bumpTreeVersion();
    session_.finish();
    parts_.volumes.refreshScanVolumeForRoot();
}

} // namespace plenwick
