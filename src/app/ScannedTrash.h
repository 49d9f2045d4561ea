#pragma once
// Where moved items went, as the scan sees it. Moving items into a Trash that lies
// inside the scanned folder frees nothing there: they only change folders, and the
// Trash folder is scanned again so that the totals keep them.

#include <string>
#include <vector>

namespace plenwick {

// The Trash folder that holds an item moved to `pathInTrash` (".../Trash/files/x" →
// ".../Trash"); the item's own folder when that is no Trash's files folder.
std::string trashFolderOf(const std::string& pathInTrash);
// The user's home Trash, where the moves without a reported place go.
std::string homeTrashFolder();
// Of `trashFolders`, the paths in the tree scanned at `rootPath` of those that lie
// inside it, whichever links lead to either, each once. Disk work: a few system calls
// for each path; a folder that cannot be resolved is left out.
std::vector<std::string> trashFoldersInScan(const std::string& rootPath, const std::vector<std::string>& trashFolders);

} // namespace plenwick
