#include "app/ScanSession.h"

#include <utility>

namespace plenwick {

void ScanSession::setPhase(Phase phase) {
    if (phase_ == phase) return;
    if (!phaseBeforeOperation_) phaseBeforeOperation_ = phase_;
    phase_ = std::move(phase);
    changes_.touch(StateField::phase);
}

bool ScanSession::settle() {
    if (!phaseBeforeOperation_) return false;
    const Phase before = *std::exchange(phaseBeforeOperation_, std::nullopt);
    if (before == phase_) {
        changes_.forget(StateField::phase);
        return false;
    }
    return before.kind() == Phase::Kind::results && phase_.kind() != Phase::Kind::results;
}

std::int64_t ScanSession::start(std::string target) {
    stop();
    changes_.assign(target_, std::optional<std::string>(std::move(target)), StateField::scanTarget);
    changes_.assign(failureNeedsFullDiskAccess_, false, StateField::failureNeedsFullDiskAccess);
    changes_.assign(progress_, ScanProgress{}, StateField::scanProgress);
    changes_.assign(startedAt_, std::optional(std::chrono::system_clock::now()), StateField::scanStartedAt);
    startedMonotonic_ = std::chrono::steady_clock::now();
    setPhase(Phase::scanning());
    task_.emplace();
    return generation_;
}

void ScanSession::stop() {
    if (task_) {
        task_->request_stop();
        task_.reset();
    }
    ++generation_;
}

void ScanSession::report(std::int64_t generation, ScanProgress progress) {
    if (phase_.kind() != Phase::Kind::scanning || generation != generation_) return;
    changes_.assign(progress_, std::move(progress), StateField::scanProgress);
}

void ScanSession::fail(std::string message, bool needsFullDiskAccess) {
    changes_.assign(failureNeedsFullDiskAccess_, needsFullDiskAccess, StateField::failureNeedsFullDiskAccess);
    setPhase(Phase::failed(std::move(message)));
}

void ScanSession::finish() {
    task_.reset();
    const double seconds =
        startedAt_ ? std::chrono::duration<double>(std::chrono::steady_clock::now() - startedMonotonic_).count() : 0.0;
    changes_.assign(duration_, seconds, StateField::scanDuration);
    setPhase(Phase::results());
}

} // namespace plenwick
