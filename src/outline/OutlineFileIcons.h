#pragma once
// The 16-point icons of the outline's rows, without touching the disk on the GUI
// thread: files by their extension's type, every folder below the root by one folder
// icon, and only packages and the scanned root by their own icon, looked up in the
// background by the shared icon cache.

#include <QIcon>

#include <string>

namespace plenwick {

class FileNode;

QIcon outlineFileIcon(const FileNode& node);
// The key `node`'s icon is kept under: "ext:" and the extension for files and links,
// "folder" for folders below the root and unreadable items, "path:" and the path for
// packages and the root.
std::string outlineIconKey(const FileNode& node);
// Icons kept by type here (the per-path ones live in the shared icon cache).
std::size_t outlineIconCacheCount();

} // namespace plenwick
