#pragma once
// The kind of an item as the inspector names it. At once, from the node alone:
// "Folder", "Symbolic link", "Unreadable folder", or the description of the
// extension's type ("Package", "Document" or "XYZ file" when there is none). Then,
// looked up in the background, the shared-mime-info description of the item on disk:
// its file type from lstat (folder, link, pipe, socket, device) and, for files and
// packages, its extension. Nothing is ever opened, so a pipe or a device cannot hang
// the lookup.

#include "scanner/FileNode.h"

#include <QString>

#include <optional>
#include <string>
#include <sys/types.h>

namespace plenwick {

// The description of the type that a file name with this lower-case extension has,
// its first letter upper-cased; none when no type claims the extension.
std::optional<QString> typeDescriptionForExtension(const std::string& extension);

// The kind text derived from the node alone; never touches the disk.
QString fileKindText(const FileNode& node);

// The description for an item of file mode `mode` (as lstat gives it) named `name`,
// scanned as `kind`; none when nothing better than the immediate text is known.
std::optional<QString> kindDescriptionForMode(mode_t mode, FileNode::Kind kind, const std::string& name);

// The looked-up kind of the item at `path` (raw bytes): lstat, then the above. Runs
// on a worker thread; none when the item cannot be looked at.
std::optional<QString> lookUpKindDescription(const std::string& path, FileNode::Kind kind);

} // namespace plenwick
