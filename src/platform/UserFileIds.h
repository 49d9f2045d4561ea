#pragma once
// Creating files for a user as root: within the scope of a UserFileIds the calling
// thread works with the user's file-system ids, so whatever it creates is born the
// user's and nothing has to be handed over by a name that may have been swapped
// meanwhile. It keeps the right to write where the user cannot (a mount's top
// folder may be root's), nothing else of root's.

#include <sys/types.h>

namespace plenwick {

class UserFileIds {
public:
    UserFileIds(uid_t uid, gid_t gid);
    ~UserFileIds();
    UserFileIds(const UserFileIds&) = delete;
    UserFileIds& operator=(const UserFileIds&) = delete;

    // Whether the ids took: nothing may be created as root when they did not.
    explicit operator bool() const { return active_; }

private:
    uid_t savedUid_;
    gid_t savedGid_;
    bool active_ = false;
};

} // namespace plenwick
