#pragma once
// What the file manager calls a path: a volume's mount point by the volume's name,
// any other path by its last component. The names are those of the volume list the
// program shows, so that a scan of a whole volume is called everywhere what its
// volume card calls it.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plenwick {

// Replaces the known volume names: each mount point (raw bytes) with its name; of a
// mount point listed twice, the first name counts. Safe to call from any thread.
void setVolumeNames(std::vector<std::pair<std::string, std::string>> mountPointsAndNames);

// The name to show for `path` (raw bytes): the volume's name when the path is a
// known mount point, else its last component ("/" for the root), as visibleText
// shows it.
std::string pathDisplayName(std::string_view path);

} // namespace plenwick
