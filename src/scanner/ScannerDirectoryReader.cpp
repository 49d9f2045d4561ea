#include "scanner/ScannerDirectoryReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace plenwick {
namespace {

// The kernel's record, as getdents64 writes it.
struct LinuxDirent64 {
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};
constexpr std::size_t direntNameOffset = offsetof(LinuxDirent64, d_name);

constexpr unsigned fileMask = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_MTIME | STATX_SIZE | STATX_BLOCKS;
// Where folders are listed with their status too, their mount as well.
constexpr unsigned entryMask = fileMask | STATX_MNT_ID;
constexpr int statxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;

ScannerEntry::Type typeOfMode(unsigned mode) noexcept {
    switch (mode & S_IFMT) {
    case S_IFREG: return ScannerEntry::Type::file;
    case S_IFDIR: return ScannerEntry::Type::directory;
    case S_IFLNK: return ScannerEntry::Type::symlink;
    default: return ScannerEntry::Type::other;
    }
}

bool isDotOrDotDot(const char* name, std::size_t length) noexcept {
    return name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'));
}

// The length of a record's name. The kernel pads a record to 8 bytes after the
// name's zero byte, so that zero lies in the record's last 8 bytes: the first zero
// there (past the header) ends the name. What follows it is not cleared.
std::size_t nameLengthOf(const char* record, std::size_t recordLength) noexcept {
    if (recordLength < direntNameOffset + 8 || recordLength % 8 != 0)
        return ::strnlen(record + direntNameOffset, recordLength - direntNameOffset);
    std::uint64_t word;
    std::memcpy(&word, record + recordLength - 8, 8);
    const std::size_t start = recordLength - 8;
    if (start < direntNameOffset) word |= (std::uint64_t{1} << (8 * (direntNameOffset - start))) - 1; // header bytes
    const std::uint64_t zeros = (word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull;
    if (!zeros) return ::strnlen(record + direntNameOffset, recordLength - direntNameOffset);
    return start + static_cast<std::size_t>(__builtin_ctzll(zeros)) / 8 - direntNameOffset;
}

// What a statx gave, into the entry (whose other fields are at their defaults).
inline void fill(const struct statx& stx, ScannerEntry& e) noexcept {
    const unsigned mask = stx.stx_mask;
    constexpr unsigned usual = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS | STATX_SIZE | STATX_MTIME;
    if ((mask & usual) == usual) { // what every local file system gives
        e.type = typeOfMode(stx.stx_mode);
        e.fileID = stx.stx_ino;
        e.linkCount = stx.stx_nlink;
        e.allocatedSize = static_cast<std::int64_t>(stx.stx_blocks * 512);
        e.totalSize = static_cast<std::int64_t>(stx.stx_size);
        e.modified = static_cast<double>(stx.stx_mtime.tv_sec) + static_cast<double>(stx.stx_mtime.tv_nsec) / 1e9;
        // The device tells hard links and folders apart; a file with one link needs none.
        if (e.type == ScannerEntry::Type::file && e.linkCount == 1) return;
    } else {
        e.type = (mask & STATX_TYPE) ? typeOfMode(stx.stx_mode) : ScannerEntry::Type::other;
        if (mask & STATX_INO) e.fileID = stx.stx_ino;
        if (mask & STATX_NLINK) e.linkCount = stx.stx_nlink;
        if (mask & STATX_BLOCKS) e.allocatedSize = static_cast<std::int64_t>(stx.stx_blocks * 512);
        if (mask & STATX_SIZE) e.totalSize = static_cast<std::int64_t>(stx.stx_size);
        if (mask & STATX_MTIME)
            e.modified = static_cast<double>(stx.stx_mtime.tv_sec) + static_cast<double>(stx.stx_mtime.tv_nsec) / 1e9;
    }
    e.device = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    if (e.type != ScannerEntry::Type::directory) return; // the rest matters for folders only
    if (mask & STATX_MNT_ID) {
        e.mountID = stx.stx_mnt_id;
        e.hasMountID = true;
    }
    if (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) e.isMountPoint = (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    if (stx.stx_attributes_mask & STATX_ATTR_AUTOMOUNT) e.isTrigger = (stx.stx_attributes & STATX_ATTR_AUTOMOUNT) != 0;
    // flags stays 0: Linux inode flags are not the BSD flags the rules test.
}

} // namespace

ScannerDirectoryReader::ScannerDirectoryReader() : buffer_(static_cast<char*>(std::malloc(bufferSize))) {
    if (!buffer_) throw std::bad_alloc();
}

ScannerDirectoryReader::~ScannerDirectoryReader() {
    std::free(buffer_);
    std::free(spare_);
}

void ScannerDirectoryReader::makeSpare() {
    if (spare_) return;
    spare_ = static_cast<char*>(std::malloc(bufferSize));
    if (!spare_) throw std::bad_alloc();
}

long ScannerDirectoryReader::readBatchAside(int fd) {
    makeSpare();
    std::swap(buffer_, spare_);
    return readBatch(fd);
}

void ScannerDirectoryReader::releaseSpare() noexcept {
    std::free(spare_);
    spare_ = nullptr;
}

long ScannerDirectoryReader::readBatch(int fd) {
    for (;;) {
        const long n = ::syscall(SYS_getdents64, fd, buffer_, bufferSize);
        if (n < 0 && errno == EINTR) continue;
        batchBytes_ = n > 0 ? static_cast<std::size_t>(n) : 0;
        offset_ = 0;
        return n;
    }
}

bool ScannerDirectoryReader::describe(int fd, const ListedName& listed, std::uint64_t folderDevice,
                                      std::uint64_t folderMountID, bool folderHasMountID, bool deferFolders,
                                      ScannerEntry& entry) {
    return describeListed(fd, listed, folderDevice, folderMountID, folderHasMountID, deferFolders, entry);
}

inline bool ScannerDirectoryReader::describeListed(int fd, const ListedName& listed, std::uint64_t folderDevice,
                                                   std::uint64_t folderMountID, bool folderHasMountID,
                                                   bool deferFolders, ScannerEntry& entry) {
    entry.reset(listed.name, listed.length);
    if (deferFolders && listed.type == DT_DIR) {
        entry.type = ScannerEntry::Type::directory;
        entry.fileID = listed.inode;
        entry.device = folderDevice;
        entry.mountID = folderMountID;
        entry.hasMountID = folderHasMountID;
        entry.statusDeferred = true;
        return true;
    }
    struct statx stx;
    int rc;
    do {
        stx.stx_mask = 0;
        stx.stx_attributes_mask = 0;
        rc = ::statx(fd, listed.name, statxFlags, deferFolders ? fileMask : entryMask, &stx);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (errno == ENOENT) return false; // vanished after the listing: dropped, nothing counted
        entry.hasError = true;
        entry.type = listed.type == DT_DIR ? ScannerEntry::Type::directory : ScannerEntry::Type::other;
        return true;
    }
    fill(stx, entry);
    if (!(stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && entry.type == ScannerEntry::Type::directory) {
        // Kernels before 5.8 do not say which folders are mount roots.
        entry.isMountPoint = (entry.hasMountID && folderHasMountID) ? entry.mountID != folderMountID
                                                                    : entry.device != folderDevice;
    }
    return true;
}

inline bool ScannerDirectoryReader::nextName(ListedName& listed) {
    while (offset_ < batchBytes_) {
        auto* record = reinterpret_cast<const LinuxDirent64*>(buffer_ + offset_);
        const std::size_t recordLength = record->d_reclen;
        if (recordLength == 0) { // a malformed batch ends here
            offset_ = batchBytes_;
            break;
        }
        offset_ += recordLength;
        if (recordLength <= direntNameOffset) continue;
        const char* name = record->d_name;
        const std::size_t length = nameLengthOf(reinterpret_cast<const char*>(record), recordLength);
        if (length == 0 || isDotOrDotDot(name, length)) continue;
        listed = {name, static_cast<std::uint32_t>(length), record->d_type, record->d_ino};
        return true;
    }
    return false;
}

bool ScannerDirectoryReader::next(int fd, std::uint64_t folderDevice, std::uint64_t folderMountID,
                                  bool folderHasMountID, bool deferFolders, ScannerEntry& entry) {
    ListedName listed;
    while (nextName(listed))
        if (describeListed(fd, listed, folderDevice, folderMountID, folderHasMountID, deferFolders, entry))
            return true;
    return false;
}

std::size_t ScannerDirectoryReader::recordsToDescribe(bool deferFolders) const noexcept {
    std::size_t count = 0;
    for (std::size_t at = offset_; at < batchBytes_;) {
        auto* record = reinterpret_cast<const LinuxDirent64*>(buffer_ + at);
        if (record->d_reclen == 0) break;
        at += record->d_reclen;
        count += !(deferFolders && record->d_type == DT_DIR);
    }
    return count;
}

std::size_t ScannerDirectoryReader::takeNames(ListedName* names, std::size_t capacity) {
    std::size_t count = 0;
    while (count < capacity && nextName(names[count])) ++count;
    return count;
}

ScannerDirectoryReader::FallbackResult
ScannerDirectoryReader::readFallback(int fd, std::uint64_t folderDevice, const std::function<bool()>& isCancelled,
                                     const std::function<void(const ScannerEntry&)>& consume) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0); // never inherited by a program started meanwhile
    if (copy < 0) return {FallbackStatus::failed, errno};
    DIR* stream = ::fdopendir(copy);
    if (!stream) {
        const int error = errno;
        ::close(copy);
        if (error == EPERM || error == EACCES) return {FallbackStatus::permissionRefused, error};
        return {FallbackStatus::failed, error};
    }
    ::rewinddir(stream);
    std::uint64_t step = 1;
    int lastError = 0;
    for (;;) {
        if ((step & 0xFF) == 0 && isCancelled()) {
            ::closedir(stream);
            return {FallbackStatus::cancelled, 0};
        }
        errno = 0;
        const dirent* item = ::readdir(stream);
        if (!item) {
            lastError = errno;
            break;
        }
        const std::size_t length = ::strnlen(item->d_name, 1024);
        if (isDotOrDotDot(item->d_name, length)) {
            ++step;
            continue;
        }
        ScannerEntry entry;
        entry.name = item->d_name;
        entry.nameLength = length;
        struct stat st;
        if (::fstatat(fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            entry.hasError = true;
            entry.type = item->d_type == DT_DIR ? ScannerEntry::Type::directory : ScannerEntry::Type::other;
        } else {
            entry.type = typeOfMode(st.st_mode);
            entry.device = st.st_dev;
            entry.fileID = st.st_ino;
            entry.linkCount = static_cast<std::uint32_t>(st.st_nlink);
            entry.allocatedSize = static_cast<std::int64_t>(st.st_blocks) * 512;
            entry.totalSize = st.st_size;
            entry.modified = static_cast<double>(st.st_mtim.tv_sec) + static_cast<double>(st.st_mtim.tv_nsec) / 1e9;
            entry.isMountPoint = entry.type == ScannerEntry::Type::directory && st.st_dev != folderDevice;
        }
        consume(entry);
        ++step;
    }
    ::closedir(stream);
    if (lastError) return {FallbackStatus::failed, lastError};
    return {FallbackStatus::completed, 0};
}

} // namespace plenwick
