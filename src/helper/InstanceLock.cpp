#include "helper/InstanceLock.h"

#include "base/CreateFolders.h"
#include "base/PathNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

namespace {
// The descriptor of the lock this process holds; -1 while it holds none.
int instanceLockDescriptor = -1;
} // namespace

std::string applicationSupportFolder(const std::string& home) {
    return appendingPathComponent(home, "Library/Application Support/Plenwick");
}

std::optional<int> acquireInstanceLock(const std::string& name, const std::string& folder) {
    createFolders(folder);
    const std::string path = appendingPathComponent(folder, name + ".lock");
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) return std::nullopt;
    int locked;
    do {
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        ::close(descriptor);
        return std::nullopt;
    }
    return descriptor;
}

bool takeHelperInstanceLock(const std::string& home) {
    if (instanceLockDescriptor >= 0) return true;
    const auto descriptor = acquireInstanceLock("tarnwell.Plenwick.Helper", applicationSupportFolder(home));
    if (!descriptor) return false;
    instanceLockDescriptor = *descriptor;
    return true;
}

} // namespace plenwick
