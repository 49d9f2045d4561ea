#include "platform/TrashFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

int moveWithoutReplacing(int fromFolder, const std::string& fromName, int toFolder, const std::string& toName,
                         bool isFolder) {
    const char* from = fromName.c_str();
    const char* to = toName.c_str();
    if (renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL) return errno;
    if (!isFolder) {
        if (linkat(fromFolder, from, toFolder, to, 0) != 0) return errno;
        if (unlinkat(fromFolder, from, 0) == 0) return 0;
        const int error = errno;
        unlinkat(toFolder, to, 0);
        return error;
    }
    if (mkdirat(toFolder, to, 0700) != 0) return errno;
    if (renameat(fromFolder, from, toFolder, to) == 0) return 0;
    const int error = errno;
    unlinkat(toFolder, to, AT_REMOVEDIR); // only while still empty
    return error == ENOTEMPTY ? EEXIST : error;
}

bool writeAll(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace plenwick
