#pragma once
// Tells when volumes are mounted, unmounted or moved. The kernel marks the mount
// table file (/proc/self/mountinfo) with an exceptional condition (POLLPRI) whenever
// the table changes; a socket notifier on that condition wakes the event loop, and the
// file is read to its end again to re-arm it.

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace plenwick {

class MountWatcher final : public QObject {
    Q_OBJECT

public:
    // Watches `mountTable`; does nothing when it cannot be opened.
    explicit MountWatcher(const QString& mountTable = QStringLiteral("/proc/self/mountinfo"), QObject* parent = nullptr);
    ~MountWatcher() override;

    // The process-wide watcher of this process's mount table, made on first use and
    // kept until the application object goes.
    static MountWatcher& shared();

    bool isWatching() const noexcept { return fd_ >= 0; }

signals:
    // Once for each change of the table that the event loop noticed.
    void mountsChanged();

private:
    void drain();
    void onException();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace plenwick
