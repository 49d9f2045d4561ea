#include "platform/MountWatcher.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace plenwick {

MountWatcher::MountWatcher(const QString& mountTable, QObject* parent) : QObject(parent) {
    fd_ = ::open(QFile::encodeName(mountTable).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return;
    // The table must have been read once for a change to be reported.
    drain();
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
    connect(notifier_, &QSocketNotifier::activated, this, &MountWatcher::onException);
}

MountWatcher::~MountWatcher() {
    delete notifier_;
    if (fd_ >= 0) ::close(fd_);
}

MountWatcher& MountWatcher::shared() {
    static QPointer<MountWatcher> watcher;
    if (!watcher) watcher = new MountWatcher(QStringLiteral("/proc/self/mountinfo"), QCoreApplication::instance());
    return *watcher;
}

void MountWatcher::drain() {
    // The kernel clears the condition once the file has been read through from the start.
    ::lseek(fd_, 0, SEEK_SET);
    char buffer[16384];
    while (::read(fd_, buffer, sizeof buffer) > 0) {
    }
}

void MountWatcher::onException() {
    drain();
    emit mountsChanged();
}

} // namespace plenwick
