// The helper's copies on Linux, found and asked to quit through the running-apps
// lookup; it is started as a detached process, and an exit is noticed by polling a
// process handle of each copy. A copy owns the helper's name on the session bus while
// it runs, so a change of the name's owner tells of a start (or an end) however the
// copy was started.

#include "app/HelperController.h"

#include "platform/AppActivation.h"

#include <QFile>
#include <QProcess>
#include <QSocketNotifier>

#include <map>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plenwick {

namespace {

class SystemHelperProcesses final : public HelperProcesses {
public:
    SystemHelperProcesses(std::shared_ptr<RunningApps> apps, std::string executable)
        : apps_(std::move(apps)), executable_(std::move(executable)) {}
    ~SystemHelperProcesses() override {
        for (auto& [pid, watch] : watches_) {
            delete watch.notifier;
            ::close(watch.handle);
        }
    }

    std::vector<RunningApp> running() const override { return apps_->instances(HelperController::bundleIdentifier); }

    void terminate(const RunningApp& copy) override { apps_->terminate(copy); }

    bool isInstalled() const override {
        struct stat item {};
        return ::stat(executable_.c_str(), &item) == 0 && S_ISREG(item.st_mode);
    }

    void launch() override { QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(executable_)), {}); }

    void watchExits(const std::vector<RunningApp>& copies, std::function<void()> exited) override {
        for (const RunningApp& copy : copies) {
            if (watches_.count(copy.pid)) continue;
            // Called through syscall(): glibc 2.36 has no C++ declaration of it.
            const int handle = static_cast<int>(::syscall(SYS_pidfd_open, copy.pid, 0));
            if (handle < 0) continue;
            // A process handle reads as ready once the process has ended.
            auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read);
            watches_[copy.pid] = {handle, notifier};
            QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this, pid = copy.pid, exited] {
                auto it = watches_.find(pid);
                if (it == watches_.end()) return;
                // Off before the handle closes: the loop must not poll a closed descriptor.
                it->second.notifier->setEnabled(false);
                it->second.notifier->deleteLater();
                ::close(it->second.handle);
                watches_.erase(it);
                exited();
            });
        }
    }

    std::unique_ptr<QObject> watchStartsAndEnds(std::function<void()> changed) override {
        return followBusNameOwner(QString::fromLatin1(HelperController::bundleIdentifier), std::move(changed));
    }

private:
    struct Watch {
        int handle;
        QSocketNotifier* notifier;
    };
    std::shared_ptr<RunningApps> apps_;
    std::string executable_;
    std::map<int, Watch> watches_; // GUI thread only
};

} // namespace

std::unique_ptr<HelperProcesses> makeSystemHelperProcesses(std::shared_ptr<RunningApps> apps, std::string executable) {
    return std::make_unique<SystemHelperProcesses>(std::move(apps), std::move(executable));
}

} // namespace plenwick
