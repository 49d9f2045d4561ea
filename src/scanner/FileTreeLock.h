#pragma once
// The process-wide reader-writer lock over the scanned file tree. Writer-preferring,
// so background readers that take it in batches cannot starve the GUI thread's writes.
// A lock call that fails (a misuse such as locking twice) aborts with a message.

#include <pthread.h>

namespace plenwick {

class FileTreeLock {
public:
    FileTreeLock();
    ~FileTreeLock();
    FileTreeLock(const FileTreeLock&) = delete;
    FileTreeLock& operator=(const FileTreeLock&) = delete;

    // The one instance of the process, created on first use and never destroyed.
    static FileTreeLock& shared();

    void lockRead() noexcept;
    void unlockRead() noexcept;
    void lockWrite() noexcept;
    void unlockWrite() noexcept;

    class ReadGuard {
    public:
        explicit ReadGuard(FileTreeLock& lock = shared()) noexcept : lock_(lock) { lock_.lockRead(); }
        ~ReadGuard() { lock_.unlockRead(); }
        ReadGuard(const ReadGuard&) = delete;
        ReadGuard& operator=(const ReadGuard&) = delete;
    private:
        FileTreeLock& lock_;
    };
    class WriteGuard {
    public:
        explicit WriteGuard(FileTreeLock& lock = shared()) noexcept : lock_(lock) { lock_.lockWrite(); }
        ~WriteGuard() { lock_.unlockWrite(); }
        WriteGuard(const WriteGuard&) = delete;
        WriteGuard& operator=(const WriteGuard&) = delete;
    private:
        FileTreeLock& lock_;
    };

private:
    pthread_rwlock_t* lock_;
};

} // namespace plenwick
