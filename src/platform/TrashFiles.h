#pragma once
// Steps on descriptors that both Trash moves take: the user's own and the
// administrator's.

#include <string>
#include <string_view>

namespace plenwick {

// Renames `fromName` in the folder `fromFolder` to `toName` in `toFolder` (descriptors,
// or AT_FDCWD for paths), never replacing what is there: 0, or the errno (EEXIST when
// `toName` is taken, EXDEV across file systems). Where the file system cannot rename
// without replacing, a file or link gets its new name as a second link before losing
// the old one, and a folder takes the place of an empty folder made for it just
// before: at most an empty folder is ever replaced.
int moveWithoutReplacing(int fromFolder, const std::string& fromName, int toFolder, const std::string& toName,
                         bool isFolder);

// Writes all of `text` to `fd`; false with errno set when it could not.
bool writeAll(int fd, std::string_view text);

} // namespace plenwick
