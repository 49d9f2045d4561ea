#pragma once
// The mount table of this process, read from /proc/self/mountinfo.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

struct Mount {
    std::uint64_t mountID = 0;    // unique per mount; what "another volume" compares
    std::uint64_t parentID = 0;
    std::uint64_t device = 0;     // st_dev of the mounted file system (major:minor)
    std::string root;             // the path inside the file system that is mounted here
    std::string path;             // the mount point, raw bytes, escapes undone
    std::string type;             // file-system type, e.g. "ext4", "fuse.sshfs"
    std::string source;           // e.g. "/dev/sda1", "server:/export"
    std::string options;          // per-mount options, e.g. "rw,relatime"
    std::string superOptions;     // per-superblock options
};

// Parses the text of a mountinfo file; malformed lines are skipped.
std::vector<Mount> parseMountInfo(std::string_view text);
// Undoes the octal escapes (\040, \011, \012, \134) of a mountinfo field.
std::string unescapeMountField(std::string_view field);
// Reads /proc/self/mountinfo; an empty table when it cannot be read.
std::vector<Mount> readMountTable();
// The same, but nothing (errno set) when it cannot be read whole: for a decision that
// an entry missing from the table would turn unsafe.
std::optional<std::vector<Mount>> readWholeMountTable();

} // namespace plenwick
