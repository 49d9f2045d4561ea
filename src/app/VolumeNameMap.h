#pragma once
// What the file manager calls a path: a volume's mount point by the volume's name,
// any other path by its last component. The names are those of the volume list the
// program shows, so that a scan of a whole volume is called everywhere what its
// volume card calls it. The state owns the current map and replaces it whole, so a
// snapshot of it may be read on any thread.

#include "scanner/FileNode.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plenwick {

// Mount point (raw bytes, without trailing slashes) → the volume's name.
using VolumeNameMap = std::map<std::string, std::string, std::less<>>;

// The map of mount points and their names; of a mount point listed twice, the first
// name counts.
VolumeNameMap makeVolumeNameMap(const std::vector<std::pair<std::string, std::string>>& mountPointsAndNames);

// The name to show for `path` (raw bytes): the volume's name when the path is a
// mount point of `names` with a name, else its last component ("/" for the root),
// as visibleText shows it.
std::string pathDisplayName(std::string_view path, const VolumeNameMap& names);

// The name to show for `node`: a root by pathDisplayName of its path, any other node
// by its own name (FileNode::displayName).
std::string displayName(const FileNode& node, const VolumeNameMap& names);

} // namespace plenwick
