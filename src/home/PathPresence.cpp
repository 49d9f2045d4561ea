#include "home/PathPresence.h"

#include "runtime/BackgroundTask.h"

#include <QCoreApplication>
#include <QPointer>

#include <sys/stat.h>

namespace plenwick {

PathPresence::PathPresence(std::shared_ptr<Executor> executor, QObject* parent)
    : QObject(parent), executor_(std::move(executor)) {}

PathPresence::~PathPresence() = default;

PathPresence& PathPresence::shared() {
    static QPointer<PathPresence> presence;
    if (!presence) presence = new PathPresence(std::make_shared<LeavingThreadPoolExecutor>(3), QCoreApplication::instance());
    return *presence;
}

std::optional<bool> PathPresence::exists(const std::string& path) {
    if (auto it = known_.find(path); it != known_.end()) return it->second;
    check(path);
    return std::nullopt;
}

void PathPresence::refresh() {
    for (const auto& [path, exists] : known_) check(path);
}

void PathPresence::check(const std::string& path) {
    if (!pending_.insert(path).second) return;
    runInBackground(
        *executor_, this,
        [path] {
            struct stat item {};
            return ::stat(path.c_str(), &item) == 0;
        },
        [this, path](bool exists) {
            pending_.erase(path);
            auto [it, inserted] = known_.try_emplace(path, exists);
            if (!inserted && it->second == exists) return;
            it->second = exists;
            emit changed();
        },
        [this, path](std::exception_ptr) { pending_.erase(path); });
}

} // namespace plenwick
