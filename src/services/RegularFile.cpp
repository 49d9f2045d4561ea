#include "services/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxSize) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> bytes = readOpenRegularFile(fd, maxSize);
    ::close(fd);
    return bytes;
}

std::optional<std::string> readOpenRegularFile(int fd, std::size_t maxSize) {
    std::string bytes;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) <= maxSize;
    if (ok) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            bytes.append(buffer, static_cast<std::size_t>(n));
            if (bytes.size() > maxSize) {
                ok = false;
                break;
            }
        }
    }
    if (!ok) return std::nullopt;
    return bytes;
}

} // namespace plenwick
