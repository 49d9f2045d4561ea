#include "helper/InotifyFolderEvents.h"

#include "base/CreateFolders.h"

#include <QSocketNotifier>

#include <cerrno>
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

namespace {

constexpr std::uint32_t watchedEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

FolderEvents::Mask maskOf(std::uint32_t kernelMask) {
    FolderEvents::Mask mask = 0;
    if (kernelMask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_Q_OVERFLOW)) mask |= FolderEvents::write;
    // The watch ends with IN_IGNORED when the folder is deleted or its file system unmounted.
    if (kernelMask & (IN_DELETE_SELF | IN_UNMOUNT | IN_IGNORED)) mask |= FolderEvents::deleted;
    if (kernelMask & IN_MOVE_SELF) mask |= FolderEvents::renamed;
    return mask;
}

class InotifyWatch final : public FolderEvents::Watch {
public:
    InotifyWatch(int descriptor, std::function<void(FolderEvents::Mask)> onEvents)
        : descriptor_(descriptor), onEvents_(std::move(onEvents)),
          notifier_(new QSocketNotifier(descriptor, QSocketNotifier::Read)), alive_(std::make_shared<bool>(true)) {
        QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this, alive = alive_] {
            const FolderEvents::Mask mask = drain();
            // The owner may end this watch from its callback: nothing of it is touched after.
            if (mask != 0 && *alive) onEvents_(mask);
        });
    }

    ~InotifyWatch() override {
        *alive_ = false;
        // The notifier may be the sender of the signal being handled right now.
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        ::close(descriptor_);
    }

private:
    // Every event queued so far, as one mask.
    FolderEvents::Mask drain() {
        alignas(inotify_event) char buffer[16 * 1024];
        std::uint32_t kernelMask = 0;
        for (;;) {
            const ssize_t n = ::read(descriptor_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                kernelMask |= event->mask;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return maskOf(kernelMask);
    }

    int descriptor_;
    std::function<void(FolderEvents::Mask)> onEvents_;
    QSocketNotifier* notifier_;
    std::shared_ptr<bool> alive_;
};

} // namespace

void InotifyFolderEvents::prepare(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) return;
    createFolders(folder);
}

std::optional<std::vector<std::string>> InotifyFolderEvents::list(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
        errno = 0;
    }
    const bool failed = errno != 0;
    ::closedir(dir);
    if (failed) return std::nullopt;
    return names;
}

std::unique_ptr<FolderEvents::Watch> InotifyFolderEvents::watch(const std::string& folder,
                                                                std::function<void(Mask)> onEvents) {
    const int descriptor = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0) return nullptr;
    if (::inotify_add_watch(descriptor, folder.c_str(), watchedEvents) < 0) {
        ::close(descriptor);
        return nullptr;
    }
    return std::make_unique<InotifyWatch>(descriptor, std::move(onEvents));
}

} // namespace plenwick
