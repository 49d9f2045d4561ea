#pragma once
// The one cache of file and folder icons that every view draws from.
//
// A view asks on the GUI thread, typically while painting, and never waits: a cached
// icon comes back at once; on a miss the generic icon of the type stands in while the
// item's own icon is looked up in a background task (the item may sit on a dead
// network mount), and `iconReady` says when it has been cached, so the view repaints.
// An item that no longer exists gets the generic icon of the type it was asked with.
//
// The cache is keyed by path alone: the first answer for a path is kept whatever the
// folder flag or extension of later questions. It holds at most `countLimit` icons and
// drops the least recently used beyond that; nothing else empties it in the program
// (an icon cached before a volume came or went is still the item's).

#include "shell/FileIconSource.h"

#include <QByteArray>
#include <QIcon>
#include <QObject>

class QWidget;

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace plenwick {

class Executor;
class FileNode;

class FileIconCache final : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t countLimit = 512;

    // Lookups run `source` on `executor`.
    FileIconCache(std::shared_ptr<const FileIconSource> source, std::shared_ptr<Executor> executor,
                  QObject* parent = nullptr);
    ~FileIconCache() override;

    // The process-wide cache: the desktop's icons, looked up on a small thread pool of
    // its own, so that lookups stuck on a dead mount hold up no other work. Created on
    // first use, on the GUI thread, and kept until the application object goes.
    static FileIconCache& shared();

    // The icon for the item at `path` (raw bytes). `isFolder` and `extension` (lower
    // case, may be empty) choose the generic icon when nothing exists at the path.
    QIcon icon(const std::string& path, bool isFolder, const std::string& extension);
    // The icon of a node: its path; a folder unless it is a package, which takes the
    // icon of its extension's type; its extension.
    QIcon iconForNode(const FileNode& node);

    bool contains(const std::string& path) const { return index_.count(path) > 0; }
    std::size_t count() const noexcept { return entries_.size(); }
    // Lookups started and not yet answered.
    std::size_t pendingCount() const noexcept { return pending_.size(); }
    // Forgets every icon; answers to lookups started before are not stored.
    void clear();

signals:
    // The item's own icon for `path` is now cached (or, after a `clear`, must be asked again).
    void iconReady(const QByteArray& path);

private:
    void store(const std::string& path, QIcon icon);
    void deliver(const std::string& path, std::uint64_t generation, const FileIconDescription& description);
    QIcon typeIcon(bool isFolder, const std::string& extension);

    std::shared_ptr<const FileIconSource> source_;
    std::shared_ptr<Executor> executor_;
    // Most recently used first.
    std::list<std::pair<std::string, QIcon>> entries_;
    std::unordered_map<std::string, std::list<std::pair<std::string, QIcon>>::iterator> index_;
    std::unordered_set<std::string> pending_;
    // Generic icons by type, so a miss builds no icon twice.
    std::unordered_map<std::string, QIcon> typeIcons_;
    std::uint64_t generation_ = 0;
};

// The shared cache's icons.
QIcon fileIcon(const std::string& path, bool isFolder, const std::string& extension);
QIcon fileIconForNode(const FileNode& node);

// Repaints `widget` whenever the shared cache has the icon of a path that `shows` says
// the widget draws, so that a generic icon drawn on a miss gives way to the real one.
void repaintWhenIconReady(QWidget& widget, std::function<bool(const std::string& path)> shows);
// Runs `arrived` when the shared cache has the icon of a path that `shows` names, for as
// long as `receiver` lives.
void whenIconReady(QObject& receiver, std::function<bool(const std::string& path)> shows,
                   std::function<void()> arrived);

} // namespace plenwick
