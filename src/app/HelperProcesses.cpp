// The helper's running copies on Linux: a process whose executable lies in a bundle's
// Contents/MacOS folder and whose bundle carries the helper's identifier. Quitting
// sends SIGTERM through a process handle; an exit is noticed by polling that handle.

#include "app/HelperController.h"

#include "platform/MainBundle.h"
#include "services/AppBundleInfo.h"
#include "services/PropertyList.h"

#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QString>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plenwick {

namespace {

// The executable of a process; empty when it can't be read (gone, another user's).
std::string executableOf(int pid) {
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    std::string target(4096, '\0');
    const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(n));
    // A replaced executable keeps its old path with this mark.
    constexpr std::string_view deleted = " (deleted)";
    if (target.ends_with(deleted)) target.resize(target.size() - deleted.size());
    return target;
}

// Called through syscall(): glibc 2.36 has no C++ declarations of them.
int openProcessHandle(int pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

class SystemHelperProcesses final : public HelperProcesses {
public:
    explicit SystemHelperProcesses(std::string executable) : executable_(std::move(executable)) {}
    ~SystemHelperProcesses() override {
        for (auto& [pid, watch] : watches_) {
            delete watch.notifier;
            ::close(watch.handle);
        }
    }

    std::vector<int> running() const override {
        std::vector<int> found;
        DIR* proc = ::opendir("/proc");
        if (!proc) return found;
        std::map<std::string, bool> matches; // one Info.plist read per bundle
        while (const dirent* entry = ::readdir(proc)) {
            char* end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            if (pid <= 0 || *end != '\0') continue;
            const std::string executable = executableOf(static_cast<int>(pid));
            if (executable.empty()) continue;
            const std::string bundle = bundlePathForExecutable(executable);
            if (!bundle.ends_with(".app")) continue;
            auto known = matches.find(bundle);
            if (known == matches.end()) {
                const std::optional<PlistDictionary> info = readInfoPlist(bundle);
                const std::string* id = info ? plistString(*info, "CFBundleIdentifier") : nullptr;
                known = matches.emplace(bundle, id && *id == HelperController::bundleIdentifier).first;
            }
            if (known->second) found.push_back(static_cast<int>(pid));
        }
        ::closedir(proc);
        return found;
    }

    void terminate(int pid) override {
        // The handle pins the process: once it is checked, the id can't pass to another.
        const int handle = openProcessHandle(pid);
        if (handle < 0) return;
        const std::string executable = executableOf(pid);
        if (!executable.empty() && isHelper(executable)) ::syscall(SYS_pidfd_send_signal, handle, SIGTERM, nullptr, 0);
        ::close(handle);
    }

    bool isInstalled() const override {
        struct stat item {};
        return ::stat(executable_.c_str(), &item) == 0 && S_ISREG(item.st_mode);
    }

    void launch() override {
        QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(executable_)), {});
    }

    void watchExits(const std::vector<int>& pids, std::function<void()> exited) override {
        for (int pid : pids) {
            if (watches_.count(pid)) continue;
            const int handle = openProcessHandle(pid);
            if (handle < 0) continue;
            // A process handle reads as ready once the process has ended.
            auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read);
            watches_[pid] = {handle, notifier};
            QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this, pid, exited] {
                auto it = watches_.find(pid);
                if (it == watches_.end()) return;
                it->second.notifier->deleteLater();
                ::close(it->second.handle);
                watches_.erase(it);
                exited();
            });
        }
    }

private:
    bool isHelper(const std::string& executable) const {
        const std::string bundle = bundlePathForExecutable(executable);
        const std::optional<PlistDictionary> info = readInfoPlist(bundle);
        const std::string* id = info ? plistString(*info, "CFBundleIdentifier") : nullptr;
        return id && *id == HelperController::bundleIdentifier;
    }

    struct Watch {
        int handle;
        QSocketNotifier* notifier;
    };
    std::string executable_;
    std::map<int, Watch> watches_; // GUI thread only
};

} // namespace

std::unique_ptr<HelperProcesses> makeSystemHelperProcesses(std::string executable) {
    return std::make_unique<SystemHelperProcesses>(std::move(executable));
}

} // namespace plenwick
