#pragma once
// Reading a file at a path a user can influence: only a regular file is read, opened
// without blocking and within a size cap, so a FIFO, a device or a link to a terminal
// planted there never holds the caller up.

#include <cstddef>
#include <optional>
#include <string>

namespace plenwick {

// The file's bytes; nothing when it can't be opened, isn't a regular file or holds
// more than `maxSize` bytes (also when it grows past that while being read).
std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxSize);
// The same for a file opened already (opened without blocking); `fd` stays open.
std::optional<std::string> readOpenRegularFile(int fd, std::size_t maxSize);

} // namespace plenwick
