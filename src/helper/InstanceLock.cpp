#include "helper/InstanceLock.h"

#include "base/CreateFolders.h"
#include "base/HomeDirectory.h"
#include "base/PathNames.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

namespace {
// The lock this process holds; its descriptor is -1 while it holds none.
InstanceLockResult heldLock;

InstanceLockResult failure(int error, std::string path) {
    InstanceLockResult result;
    result.outcome = InstanceLockResult::Outcome::failed;
    result.error = error;
    result.path = std::move(path);
    return result;
}

const char* absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : nullptr;
}
} // namespace

std::string applicationSupportFolder() {
    if (const char* runtime = absoluteVariable("XDG_RUNTIME_DIR")) return appendingPathComponent(runtime, "Plenwick");
    if (const char* state = absoluteVariable("XDG_STATE_HOME")) return appendingPathComponent(state, "Plenwick");
    return homePath(".local/state/Plenwick");
}

InstanceLockResult acquireInstanceLock(const std::string& name, const std::string& folder) {
    const std::string path = appendingPathComponent(folder, name + ".lock");
    if (const int error = createFolders(folder)) return failure(error, path);
    // The folder must be a folder of ours, not a link to one elsewhere.
    const int parent = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (parent < 0) return failure(errno, path);
    struct stat st {};
    const int statError = ::fstat(parent, &st) != 0 ? errno : st.st_uid != ::geteuid() ? EPERM : 0;
    if (statError) {
        ::close(parent);
        return failure(statError, path);
    }
    const int descriptor =
        ::openat(parent, (name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    const int openError = errno;
    ::close(parent);
    if (descriptor < 0) return failure(openError, path);
    int locked;
    do {
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(descriptor);
        InstanceLockResult result = failure(error, path);
        if (error == EWOULDBLOCK) result.outcome = InstanceLockResult::Outcome::heldElsewhere;
        return result;
    }
    InstanceLockResult result;
    result.outcome = InstanceLockResult::Outcome::acquired;
    result.descriptor = descriptor;
    result.path = path;
    return result;
}

InstanceLockResult takeHelperInstanceLock() {
    if (heldLock.descriptor >= 0) return heldLock;
    InstanceLockResult result = acquireInstanceLock("tarnwell.Plenwick.Helper", applicationSupportFolder());
    if (result.outcome == InstanceLockResult::Outcome::acquired) heldLock = result;
    return result;
}

std::string instanceLockFailureMessage(const InstanceLockResult& result) {
    return "PlenwickHelper: can't take the lock " + result.path + ": " + std::strerror(result.error);
}

} // namespace plenwick
