#pragma once
// The road of one scan through the state: start, progress, finish or failure,
// cancel, and the reset that clears the previous results. The scan runs on the
// user-initiated executor; its reports count only while it is the current scan.

#include "app/AppEnvironment.h"
#include "app/ScanSession.h"
#include "app/StateChanges.h"
#include "app/TreeHardLinks.h"
#include "scanner/FileNode.h"
#include "scanner/FileTypeStatsBuilder.h"

#include <QObject>

#include <cstdint>
#include <exception>
#include <stop_token>
#include <string>
#include <vector>

namespace plenwick {

class Alerts;
class Navigation;
class Presentation;
class ScanResults;
class StatsUpdates;
class VolumeRefresh;

class ScanRun {
public:
    // What a scan replaces or reads.
    struct Parts {
        ScanResults& results;
        Navigation& navigation;
        Presentation& presentation;
        Alerts& alerts;
        StatsUpdates& stats;
        VolumeRefresh& volumes;
    };

    ScanRun(StateChanges& changes, const AppEnvironment& environment, Parts parts) noexcept
        : changes_(changes), environment_(environment), parts_(parts), session_(changes) {}
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;

    const ScanSession& session() const noexcept { return session_; }
    ScanSession& session() noexcept { return session_; }

    // Stops any scan, clears the results and scans `path` (normalised). A path
    // holding a NUL byte names no file: nothing happens.
    void start(const std::string& path);
    // Scans the root again, or the last target when there are no results.
    void rescanAll();
    // Stops the scan under way; a scanning phase returns to the results, or home.
    void cancel();
    // No results: every node the state holds goes, with the highlight and a
    // collector-mode uninstall session.
    void reset();
    // The results of a scan are in. `hardLinks`: the names of the tree's files with
    // several of them.
    void finish(NodeRef root, std::vector<FileTypeStat> stats, TreeHardLinks hardLinks = {});

    // Whether a scan failed because permission was refused.
    static bool needsFullDiskAccess(const std::exception_ptr& error);

private:
    struct Outcome;
    void deliverProgress(std::int64_t generation, ScanProgress progress);
    void deliver(std::int64_t generation, const std::stop_source& task, Outcome outcome);
    void clearNodeState();

    StateChanges& changes_;
    const AppEnvironment& environment_;
    Parts parts_;
    ScanSession session_;
    // The scan's reports reach this object only while it lives.
    QObject lifetime_;
};

} // namespace plenwick
