#include "scanner/FileTreeLock.h"

#include <new>

namespace plenwick {

FileTreeLock::FileTreeLock() : lock_(new pthread_rwlock_t) {
    pthread_rwlockattr_t attr;
    pthread_rwlockattr_init(&attr);
    pthread_rwlockattr_setkind_np(&attr, PTHREAD_RWLOCK_PREFER_WRITER_NONRECURSIVE_NP);
    pthread_rwlock_init(lock_, &attr);
    pthread_rwlockattr_destroy(&attr);
}

FileTreeLock::~FileTreeLock() {
    pthread_rwlock_destroy(lock_);
    delete lock_;
}

FileTreeLock& FileTreeLock::shared() {
    static FileTreeLock* instance = new FileTreeLock; // lives for the whole process
    return *instance;
}

void FileTreeLock::lockRead() noexcept { pthread_rwlock_rdlock(lock_); }
void FileTreeLock::unlockRead() noexcept { pthread_rwlock_unlock(lock_); }
void FileTreeLock::lockWrite() noexcept { pthread_rwlock_wrlock(lock_); }
void FileTreeLock::unlockWrite() noexcept { pthread_rwlock_unlock(lock_); }

} // namespace plenwick
