#pragma once
// Hard links after a folder was scanned again on its own.
//
// The scan of the folder has a hard-link table of its own, so it counts once every
// file whose links it meets, even when another link outside the folder already
// carries that file's size in the tree. So that nothing is counted twice (or lost),
// the earlier decision is carried over: a file with links outside the folder that the
// tree counted elsewhere before (each of its former nodes in the folder had no size)
// counts nothing in the folder again. Files all of whose links lie in the folder, and
// files that are new to it, count as the folder's own scan decided. All of it comes
// from what the folder's scan read (its record of files with other links): the disk
// is not read again.

#include "scanner/DiskScanner.h"
#include "scanner/FileNode.h"
#include "scanner/FileTreeLock.h"

#include <stop_token>
#include <vector>

namespace plenwick {

// `fresh` is the folder's new subtree (not yet in the tree, so changed freely) and
// `links` its scan's record of files with other links; `old` is the folder's node in
// the tree, read under the read side of `lock`. Sizes moved off a file come off its
// ancestors within `fresh`, whose children are sorted again. Returns the number of
// files set to count nothing.
std::size_t reconcileRescannedHardLinks(const NodeRef& fresh, const std::vector<ScannedHardLink>& links,
                                        const NodeRef& old, std::stop_token stop = {},
                                        FileTreeLock& lock = FileTreeLock::shared());

} // namespace plenwick
