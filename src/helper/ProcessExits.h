#pragma once
// Tells when a process ends, through a process handle (pidfd) that reads as ready once
// it has; the GUI thread's event loop waits for it, so watching costs nothing.

#include <QObject>

#include <functional>
#include <map>
#include <vector>

class QSocketNotifier;

namespace plenwick {

class ProcessExits final : public QObject {
    Q_OBJECT

public:
    explicit ProcessExits(QObject* parent = nullptr);
    ~ProcessExits() override;

    // Calls `exited` on the GUI thread when one of `pids` ends. A process watched
    // already keeps its first callback; one that can't be opened (gone) is skipped.
    void watch(const std::vector<int>& pids, std::function<void()> exited);
    std::size_t watchedCount() const noexcept { return watches_.size(); }

private:
    struct Watch {
        int handle;
        QSocketNotifier* notifier;
    };
    std::map<int, Watch> watches_;
};

} // namespace plenwick
