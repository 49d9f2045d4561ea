#pragma once
// Lists one opened folder: getdents64 into the reader's 256 KiB buffer, then statx
// of each name relative to the folder's descriptor (no-follow, no automount, no
// sync), one ScannerEntry per name. Where getdents64 cannot be used on a folder, a
// readdir + fstatat listing gives the same entries.

#include "scanner/ScannerEntry.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace plenwick {

class ScannerDirectoryReader {
public:
    static constexpr std::size_t bufferSize = 262144;

    ScannerDirectoryReader();
    ~ScannerDirectoryReader();
    ScannerDirectoryReader(const ScannerDirectoryReader&) = delete;
    ScannerDirectoryReader& operator=(const ScannerDirectoryReader&) = delete;

    // Reads the next batch of names of `fd` into the buffer (EINTR is retried).
    // Positive: bytes read; 0: the end of the listing; -1: failed, errno set.
    long readBatch(int fd);
    // The same into the other of two buffers, leaving the batch read before (and
    // the names taken from it) as it is until the next call.
    long readBatchAside(int fd);
    // Makes the second buffer now (it may throw), if not made yet.
    void makeSpare();
    // Frees the second buffer, if one was made.
    void releaseSpare() noexcept;
    // Takes the next entry of the batch and reads its attributes. Entries "." and
    // "..", and those that vanished since the listing (statx ENOENT), are passed
    // over. `folder` is the listed folder's volume, for the mount-point test on
    // kernels without STATX_ATTR_MOUNT_ROOT. With `deferFolders`, an entry the listing
    // calls a folder is given without a statx (statusDeferred): type, inode and the
    // listed folder's volume. False when the batch is used up.
    bool next(int fd, std::uint64_t folderDevice, std::uint64_t folderMountID, bool folderHasMountID,
              bool deferFolders, ScannerEntry& entry);

    // A name of the batch as listed, before its attributes are read.
    struct ListedName {
        const char* name;
        std::uint32_t length;
        unsigned char type; // d_type
        std::uint64_t inode;
    };
    // Takes the rest of the batch's names (past "." and "..") into `names`, at
    // most `capacity` (a batch holds at most bufferSize / 24), for describe to read
    // their attributes on any thread while the batch is kept. Returns how many.
    std::size_t takeNames(ListedName* names, std::size_t capacity);
    // How many records of the batch's rest need a statx (all but folders, with
    // `deferFolders`; "." and ".." among them).
    std::size_t recordsToDescribe(bool deferFolders) const noexcept;
    // The entry of one listed name, as next gives it; false when the name vanished.
    static bool describe(int fd, const ListedName& listed, std::uint64_t folderDevice, std::uint64_t folderMountID,
                         bool folderHasMountID, bool deferFolders, ScannerEntry& entry);

    enum class FallbackStatus { completed, permissionRefused, cancelled, failed };
    struct FallbackResult {
        FallbackStatus status;
        int error = 0;
    };
    // The slower readdir + fstatat listing.
    static FallbackResult readFallback(int fd, std::uint64_t folderDevice, const std::function<bool()>& isCancelled,
                                       const std::function<void(const ScannerEntry&)>& consume);

private:
    bool nextName(ListedName& listed);
    static bool describeListed(int fd, const ListedName& listed, std::uint64_t folderDevice,
                               std::uint64_t folderMountID, bool folderHasMountID, bool deferFolders,
                               ScannerEntry& entry);

    char* buffer_;
    char* spare_ = nullptr;
    std::size_t batchBytes_ = 0;
    std::size_t offset_ = 0;
};

} // namespace plenwick
