#include "scanner/ScannerListingShare.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

namespace plenwick {

void ScannerListingShare::begin(ScannerDirectoryReader& reader, int fd, std::uint64_t folderDevice,
                                std::uint64_t folderMountID, bool folderHasMountID, bool deferFolders) {
    fd_ = fd;
    folderDevice_ = folderDevice;
    folderMountID_ = folderMountID;
    folderHasMountID_ = folderHasMountID;
    deferFolders_ = deferFolders;
    if (!room_) {
        void* mapped = ::mmap(nullptr, sizeof(Room), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) throw std::bad_alloc();
        room_ = new (mapped) Room; // trivially destructible: unmapped without a destructor
    }
    nameCount_ = reader.takeNames(room_->names, maxNames);
    chunkCount_ = static_cast<std::uint32_t>((nameCount_ + chunkSize - 1) / chunkSize);
    for (std::uint32_t c = 0; c < chunkCount_; ++c) described_[c].store(0, std::memory_order_relaxed);
    nextChunk_.store(0, std::memory_order_relaxed);
}

bool ScannerListingShare::describeNext(bool cancelled) {
    const std::uint32_t c = nextChunk_.fetch_add(1, std::memory_order_relaxed);
    if (c >= chunkCount_) return false;
    if (!cancelled) {
        const std::size_t end = std::min<std::size_t>(nameCount_, (c + 1) * std::size_t{chunkSize});
        for (std::size_t i = c * std::size_t{chunkSize}; i < end; ++i) {
            ScannerEntry& entry = room_->entries[i];
            if (!ScannerDirectoryReader::describe(fd_, room_->names[i], folderDevice_, folderMountID_, folderHasMountID_,
                                                  deferFolders_, entry))
                entry.reset(nullptr, 0); // vanished
        }
    }
    described_[c].store(1, std::memory_order_release);
    described_[c].notify_all();
    return true;
}

void ScannerListingShare::awaitChunk(std::uint32_t c) const {
    while (described_[c].load(std::memory_order_acquire) == 0) described_[c].wait(0, std::memory_order_acquire);
}

const ScannerEntry* ScannerListingShare::chunkEnd(std::uint32_t c) const noexcept {
    return room_->entries + std::min<std::size_t>(nameCount_, (c + 1) * std::size_t{chunkSize});
}

void ScannerListingShare::release() {
    if (room_) ::munmap(room_, sizeof(Room));
    room_ = nullptr;
    nameCount_ = 0;
}

} // namespace plenwick
