#pragma once
// One batch of a long listing whose names' attributes several workers read at once:
// the worker listing the folder offers it, idle workers join, and each takes the
// next chunk of names and reads their entries into the chunk's places. The lister
// takes chunks too, and accounts for the entries chunk by chunk in the listed
// order, so the folder's result is the one a single worker would have made.
//
// The names point into the lister's reader buffer, which stays as it is until
// every chunk is described. A worker that joins late only finds that no chunk is
// left; the share is not begun again before every such worker has left it.

#include "scanner/ScannerDirectoryReader.h"
#include "scanner/ScannerEntry.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace plenwick {

class ScannerListingShare {
public:
    static constexpr std::uint32_t chunkSize = 128;
    // Shared only when a batch has this many names to read a status of; fewer are
    // read faster alone.
    static constexpr std::size_t leastNames = 1024;
    // The most chunks one batch can have (a record is at least 24 bytes).
    static constexpr std::size_t maxNames = ScannerDirectoryReader::bufferSize / 24;
    static constexpr std::size_t maxChunks = maxNames / chunkSize + 1;

    ScannerListingShare() = default;
    ~ScannerListingShare() { release(); }
    ScannerListingShare(const ScannerListingShare&) = delete;
    ScannerListingShare& operator=(const ScannerListingShare&) = delete;

    // Takes the rest of reader's batch, of the folder open on fd. Only while no
    // worker has joined it (ScannerEngine::awaitHelpers).
    void begin(ScannerDirectoryReader& reader, int fd, std::uint64_t folderDevice, std::uint64_t folderMountID,
               bool folderHasMountID, bool deferFolders);
    std::size_t nameCount() const noexcept { return nameCount_; }
    std::uint32_t chunkCount() const noexcept { return chunkCount_; }
    // Whether no chunk is left to take.
    bool isTaken() const noexcept { return nextChunk_.load(std::memory_order_relaxed) >= chunkCount_; }

    // Takes the next chunk and reads its entries (none once `cancelled`, the
    // listing is then dropped); false when every chunk was taken.
    bool describeNext(bool cancelled);
    // Waits until chunk c is described (by whoever took it).
    void awaitChunk(std::uint32_t c) const;
    bool isDescribed(std::uint32_t c) const noexcept { return described_[c].load(std::memory_order_acquire) != 0; }
    // Chunk c's entries, once described; a vanished name's entry has no name.
    const ScannerEntry* chunkBegin(std::uint32_t c) const noexcept { return room_->entries + c * chunkSize; }
    const ScannerEntry* chunkEnd(std::uint32_t c) const noexcept;
    // Gives back the room a long listing took (mapped apart from the heap, so that
    // it leaves nothing resident behind). Workers that joined late may still look
    // at the chunk count, which stays.
    void release();

    // Workers helping now; kept by the engine under its queue lock.
    int helpers = 0;

private:
    int fd_ = -1;
    std::uint64_t folderDevice_ = 0;
    std::uint64_t folderMountID_ = 0;
    bool folderHasMountID_ = false;
    bool deferFolders_ = false;
    struct Room {
        ScannerDirectoryReader::ListedName names[maxNames];
        ScannerEntry entries[maxNames];
    };
    static_assert(std::is_trivially_destructible_v<ScannerEntry>);
    Room* room_ = nullptr;
    std::size_t nameCount_ = 0;
    std::uint32_t chunkCount_ = 0;
    std::atomic<std::uint32_t> nextChunk_{0};
    std::array<std::atomic<std::uint32_t>, maxChunks> described_{};
};

} // namespace plenwick
