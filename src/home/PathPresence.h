#pragma once
// Whether folders still exist, answered from a cache that background checks fill, so
// that painting never waits on the disk (a dead network mount can hang a stat for
// minutes). The home screen asks about volume mount points and recent-scan folders.
//
// `exists` answers at once: the cached answer, or none while the first check of the
// path runs. `refresh` checks every known path again (on activation and when volumes
// come and go); a path whose check has not come back is not asked about twice, so a
// stuck mount holds one worker, not one per repaint. `changed` follows every answer
// that differs from the cached one.

#include <QObject>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace plenwick {

class Executor;

class PathPresence final : public QObject {
    Q_OBJECT

public:
    explicit PathPresence(std::shared_ptr<Executor> executor, QObject* parent = nullptr);
    ~PathPresence() override;

    // The process-wide cache, checking on a small pool of its own; made on first use on
    // the GUI thread and kept until the application object goes.
    static PathPresence& shared();

    std::optional<bool> exists(const std::string& path);
    void refresh();
    std::size_t pendingCount() const noexcept { return pending_.size(); }

signals:
    void changed();

private:
    void check(const std::string& path);

    std::shared_ptr<Executor> executor_;
    std::unordered_map<std::string, bool> known_;
    std::unordered_set<std::string> pending_;
};

} // namespace plenwick
