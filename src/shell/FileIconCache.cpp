#include "shell/FileIconCache.h"

#include "runtime/BackgroundTask.h"
#include "runtime/Executor.h"
#include "runtime/GuiThread.h"
#include "scanner/FileNode.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace plenwick {

FileIconCache::FileIconCache(std::shared_ptr<const FileIconSource> source, std::shared_ptr<Executor> executor,
                             QObject* parent)
    : QObject(parent), source_(std::move(source)), executor_(std::move(executor)) {}

FileIconCache::~FileIconCache() = default;

FileIconCache& FileIconCache::shared() {
    // Owned by the application object, so it goes before the program's static objects
    // (the MIME database among them) that its lookups use.
    static QPointer<FileIconCache> cache;
    if (!cache) {
        // Lookups still under way when the application goes get a moment to finish, so
        // that none of them runs on into the program's exit.
        cache = new FileIconCache(std::make_shared<DesktopFileIconSource>(),
                                  std::make_shared<LeavingThreadPoolExecutor>(4), QCoreApplication::instance());
    }
    return *cache;
}

QIcon FileIconCache::icon(const std::string& path, bool isFolder, const std::string& extension) {
    assertGuiThread();
    if (auto it = index_.find(path); it != index_.end()) {
        entries_.splice(entries_.begin(), entries_, it->second);
        return it->second->second;
    }
    if (pending_.insert(path).second) {
        runInBackground(
            *executor_, this,
            [source = source_, path, isFolder, extension] {
                std::optional<FileIconDescription> item = source->describeItem(path);
                return item ? *item : describeFileType(isFolder, extension);
            },
            [this, path, generation = generation_](FileIconDescription description) {
                deliver(path, generation, description);
            },
            [this, path, generation = generation_, isFolder, extension](std::exception_ptr) {
                deliver(path, generation, describeFileType(isFolder, extension)); // the type's icon, then
            });
    }
    return typeIcon(isFolder, extension);
}

QIcon FileIconCache::iconForNode(const FileNode& node) {
    return icon(node.url(), node.isContainer() && node.kind() != FileNode::Kind::package, node.fileExtension());
}

void FileIconCache::clear() {
    assertGuiThread();
    entries_.clear();
    index_.clear();
    pending_.clear();
    typeIcons_.clear();
    ++generation_;
}

void FileIconCache::deliver(const std::string& path, std::uint64_t generation, const FileIconDescription& description) {
    if (generation == generation_) {
        pending_.erase(path);
        store(path, makeFileIcon(description));
    }
    // A stale answer is dropped; the view that asked hears of it and asks again.
    emit iconReady(QByteArray::fromStdString(path));
}

void FileIconCache::store(const std::string& path, QIcon icon) {
    if (auto it = index_.find(path); it != index_.end()) {
        it->second->second = std::move(icon);
        entries_.splice(entries_.begin(), entries_, it->second);
        return;
    }
    entries_.emplace_front(path, std::move(icon));
    index_.emplace(path, entries_.begin());
    while (entries_.size() > countLimit) {
        index_.erase(entries_.back().first);
        entries_.pop_back();
    }
}

QIcon FileIconCache::typeIcon(bool isFolder, const std::string& extension) {
    const std::string key = isFolder ? std::string("/") : extension;
    if (auto it = typeIcons_.find(key); it != typeIcons_.end()) return it->second;
    if (typeIcons_.size() >= countLimit) typeIcons_.clear();
    QIcon icon = makeFileIcon(describeFileType(isFolder, extension));
    typeIcons_.emplace(key, icon);
    return icon;
}

QIcon fileIcon(const std::string& path, bool isFolder, const std::string& extension) {
    return FileIconCache::shared().icon(path, isFolder, extension);
}

QIcon fileIconForNode(const FileNode& node) { return FileIconCache::shared().iconForNode(node); }

void whenIconReady(QObject& receiver, std::function<bool(const std::string& path)> shows, std::function<void()> arrived) {
    QObject::connect(&FileIconCache::shared(), &FileIconCache::iconReady, &receiver,
                     [shows = std::move(shows), arrived = std::move(arrived)](const QByteArray& ready) {
                         if (shows(ready.toStdString())) arrived();
                     });
}

void repaintWhenIconReady(QWidget& widget, std::function<bool(const std::string& path)> shows) {
    whenIconReady(widget, std::move(shows), [&widget] { widget.update(); });
}

} // namespace plenwick
