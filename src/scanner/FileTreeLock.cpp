#include "scanner/FileTreeLock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace plenwick {
namespace {

// A lock call that fails is a fault of the program (a lock taken twice, a lock
// never made): going on unlocked would corrupt the tree, so stop at once.
void check(int result, const char* what) noexcept {
    if (result == 0) return;
    std::fprintf(stderr, "FileTreeLock: %s failed: %s\n", what, std::strerror(result));
    std::abort();
}

} // namespace

FileTreeLock::FileTreeLock() : lock_(new pthread_rwlock_t) {
    pthread_rwlockattr_t attr;
    check(pthread_rwlockattr_init(&attr), "attribute init");
    check(pthread_rwlockattr_setkind_np(&attr, PTHREAD_RWLOCK_PREFER_WRITER_NONRECURSIVE_NP), "writer preference");
    check(pthread_rwlock_init(lock_, &attr), "init");
    pthread_rwlockattr_destroy(&attr);
}

FileTreeLock::~FileTreeLock() {
    check(pthread_rwlock_destroy(lock_), "destroy");
    delete lock_;
}

FileTreeLock& FileTreeLock::shared() {
    static FileTreeLock* instance = new FileTreeLock; // lives for the whole process
    return *instance;
}

void FileTreeLock::lockRead() noexcept { check(pthread_rwlock_rdlock(lock_), "read lock"); }
void FileTreeLock::unlockRead() noexcept { check(pthread_rwlock_unlock(lock_), "read unlock"); }
void FileTreeLock::lockWrite() noexcept { check(pthread_rwlock_wrlock(lock_), "write lock"); }
void FileTreeLock::unlockWrite() noexcept { check(pthread_rwlock_unlock(lock_), "write unlock"); }

} // namespace plenwick
