#pragma once
// Paths of any length. The kernel takes at most PATH_MAX bytes at once, but a tree
// may be deeper than that: such a path is opened a piece at a time, each piece from
// the folder the last one reached, and an open folder's own path is found by
// walking up through "..".

#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace plenwick {

// Opens the folder at `path` (absolute, or relative to the working folder; links
// followed as the kernel follows them) as an O_PATH descriptor, close-on-exec.
// -1 with errno set.
int openFolderAnyLength(const std::string& path);

// lstat for a path of any length: 0, or -1 with errno set.
int lstatAnyLength(const std::string& path, struct stat& st);

// The absolute path of the open folder `folder`, links resolved: from /proc where it
// fits and still names this folder, else name by name upward. None (errno set) when
// it cannot be found, a folder removed meanwhile say.
std::optional<std::string> pathOfOpenFolder(int folder);


} // namespace plenwick
