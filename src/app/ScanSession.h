#pragma once
// One scan's road through the state: what the main window shows (the phase), the
// target, the progress, when it started and how long it took, and the generation
// that tells a current report or result from a stale one. A new scan or a cancel
// makes every report of the earlier one stale.

#include "app/StateChanges.h"
#include "scanner/DiskScanner.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

namespace plenwick {

class ScanSession {
public:
    // What the main window shows.
    class Phase {
    public:
        enum class Kind { failed, home, scanning, results };
        static Phase home() { return Phase(Kind::home, {}); }
        static Phase scanning() { return Phase(Kind::scanning, {}); }
        static Phase results() { return Phase(Kind::results, {}); }
        static Phase failed(std::string message) { return Phase(Kind::failed, std::move(message)); }
        Kind kind() const noexcept { return kind_; }
        // The user-facing message of a failed phase.
        const std::string& message() const noexcept { return message_; }
        friend bool operator==(const Phase&, const Phase&) = default;

    private:
        Phase(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}
        Kind kind_;
        std::string message_;
    };

    explicit ScanSession(StateChanges& changes) noexcept : changes_(changes) {}
    // A scan under way stops with its session.
    ~ScanSession() { stop(); }
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    const Phase& phase() const noexcept { return phase_; }
    const ScanProgress& progress() const noexcept { return progress_; }
    const std::optional<std::string>& target() const noexcept { return target_; }
    const std::optional<std::chrono::system_clock::time_point>& startedAt() const noexcept { return startedAt_; }
    double duration() const noexcept { return duration_; }
    const ScanOptions& options() const noexcept { return options_; }
    bool failureNeedsFullDiskAccess() const noexcept { return failureNeedsFullDiskAccess_; }
    bool hasTask() const noexcept { return task_.has_value(); }
    std::int64_t generation() const noexcept { return generation_; }

    // The phase may pass through another value within one operation (a scan started
    // during a scan leaves and re-enters scanning); `settle` takes such a change back.
    void setPhase(Phase phase);
    // As the state's outermost operation ends: forgets a phase that came back to where
    // it was, and says whether the phase left the results.
    bool settle();

    // A new scan of `target` (normalised): shows the scanning phase from empty progress
    // and starts the clock. Returns its generation; its task runs until `stop`.
    std::int64_t start(std::string target);
    // The stop source of the running scan (none stops nothing).
    std::stop_source task() const { return task_ ? *task_ : std::stop_source(std::nostopstate); }
    // Stops the running scan, if any, and makes its reports stale. The phase stays.
    void stop();
    // Whether a report or result of scan `generation` still counts.
    bool isCurrent(std::int64_t generation, const std::stop_source& task) const noexcept {
        return generation == generation_ && !task.stop_requested();
    }
    // A progress report; dropped unless scan `generation` is current and showing.
    void report(std::int64_t generation, ScanProgress progress);
    void fail(std::string message, bool needsFullDiskAccess);
    // The results of the current scan are in: the task is done and its time taken.
    void finish();

private:
    StateChanges& changes_;
    Phase phase_ = Phase::home();
    std::optional<Phase> phaseBeforeOperation_;
    ScanProgress progress_;
    std::optional<std::string> target_;
    std::optional<std::chrono::system_clock::time_point> startedAt_;
    std::chrono::steady_clock::time_point startedMonotonic_{};
    double duration_ = 0;
    ScanOptions options_;
    bool failureNeedsFullDiskAccess_ = false;
    std::optional<std::stop_source> task_;
    std::int64_t generation_ = 0;
};

} // namespace plenwick
