#include "helper/ProcessExits.h"

#include <QSocketNotifier>

#include <sys/syscall.h>
#include <unistd.h>

namespace plenwick {

ProcessExits::ProcessExits(QObject* parent) : QObject(parent) {}

ProcessExits::~ProcessExits() {
    for (auto& [pid, watch] : watches_) {
        delete watch.notifier;
        ::close(watch.handle);
    }
}

void ProcessExits::watch(const std::vector<int>& pids, std::function<void()> exited) {
    for (int pid : pids) {
        if (pid <= 0 || watches_.count(pid)) continue;
        // Called through syscall(): glibc 2.36's <sys/pidfd.h> lacks C linkage for C++.
        const int handle = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        if (handle < 0) continue;
        auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read, this);
        watches_[pid] = {handle, notifier};
        connect(notifier, &QSocketNotifier::activated, this, [this, pid, exited] {
            const auto it = watches_.find(pid);
            if (it == watches_.end()) return;
            it->second.notifier->setEnabled(false);
            it->second.notifier->deleteLater();
            ::close(it->second.handle);
            watches_.erase(it);
            if (exited) exited();
        });
    }
}

} // namespace plenwick
