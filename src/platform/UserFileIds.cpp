#include "platform/UserFileIds.h"

#include <cerrno>
#include <linux/capability.h>
#include <sys/fsuid.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plenwick {
namespace {

// Leaving file-system id 0 clears root's file capabilities from the thread's
// effective set; writing into folders the user cannot write needs one of them back.
void raiseDacOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0) return;
    if (!(data[0].permitted & (1u << CAP_DAC_OVERRIDE))) return;
    data[0].effective |= 1u << CAP_DAC_OVERRIDE;
    ::syscall(SYS_capset, &header, data);
}

} // namespace

UserFileIds::UserFileIds(uid_t uid, gid_t gid) {
    const int error = errno;
    // setfsuid/setfsgid return the previous id; called with -1 they change nothing
    // and tell the current one.
    savedGid_ = static_cast<gid_t>(::setfsgid(gid));
    savedUid_ = static_cast<uid_t>(::setfsuid(uid));
    active_ = static_cast<gid_t>(::setfsgid(static_cast<gid_t>(-1))) == gid &&
              static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1))) == uid;
    if (active_ && uid != 0) raiseDacOverride();
    errno = error;
}

UserFileIds::~UserFileIds() {
    const int error = errno;
    // Back to file-system id 0 restores root's file capabilities.
    ::setfsuid(savedUid_);
    ::setfsgid(savedGid_);
    errno = error;
}

} // namespace plenwick
