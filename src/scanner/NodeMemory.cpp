#include "scanner/NodeMemory.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define PLENWICK_NODE_CHUNKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLENWICK_NODE_CHUNKS 0
#endif
#endif
#ifndef PLENWICK_NODE_CHUNKS
#define PLENWICK_NODE_CHUNKS 1
#endif

namespace plenwick {
namespace {

std::atomic<std::int64_t> chunksInUse{0};

#if PLENWICK_NODE_CHUNKS

// Every chunk starts on a 2 MiB boundary, so a node finds its chunk's header by
// masking its own address; a node always begins within the first 2 MiB.
constexpr std::size_t chunkAlignment = std::size_t{2} << 20;
constexpr std::size_t firstChunkSize = std::size_t{64} << 10;
constexpr std::size_t pageSize = 4096;
// Pages are made resident this much at a time, ahead of use: one call instead of a
// fault per page, and at most this much resident but unused per thread.
constexpr std::size_t populateStep = std::size_t{64} << 10;
std::atomic<bool> populateUnsupported{false};

struct alignas(64) ChunkHeader {
    // Nodes handed out (added when the owning thread moves on) minus nodes freed.
    std::atomic<std::int64_t> live{0};
    std::size_t size = 0;
};
constexpr std::size_t headerSize = sizeof(ChunkHeader);

void unmapChunk(ChunkHeader* chunk) noexcept {
    const std::size_t size = chunk->size;
    chunk->~ChunkHeader();
    ::munmap(chunk, size);
    chunksInUse.fetch_sub(1, std::memory_order_relaxed);
}

ChunkHeader* mapChunk(std::size_t size) {
    const std::size_t span = size + chunkAlignment;
    void* mapped = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto base = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (base + chunkAlignment - 1) & ~(chunkAlignment - 1);
    if (aligned > base) ::munmap(mapped, aligned - base);
    const std::uintptr_t tail = aligned + size;
    if (base + span > tail) ::munmap(reinterpret_cast<void*>(tail), base + span - tail);
    chunksInUse.fetch_add(1, std::memory_order_relaxed);
    auto* chunk = new (reinterpret_cast<void*>(aligned)) ChunkHeader;
    chunk->size = size;
    return chunk;
}

// Nodes handed out to `chunk` are counted from `handedOut`; frees may have come
// before. Gives the chunk back when nothing in it is alive.
void settle(ChunkHeader* chunk, std::int64_t handedOut) noexcept {
    if (chunk->live.fetch_add(handedOut, std::memory_order_acq_rel) + handedOut == 0) unmapChunk(chunk);
}

struct ThreadChunk {
    ChunkHeader* chunk = nullptr;
    char* next = nullptr;
    char* end = nullptr;
    char* populated = nullptr; // pages below are resident
    std::int64_t handedOut = 0;
    std::size_t nextSize = firstChunkSize;

    void seal() noexcept {
        if (!chunk) return;
        ChunkHeader* done = chunk;
        const std::int64_t count = handedOut;
        chunk = nullptr;
        next = end = populated = nullptr;
        handedOut = 0;
        settle(done, count);
    }
    ~ThreadChunk() { seal(); }

    void populateFor(std::size_t bytes) noexcept {
        while (populated < next + bytes) {
            const std::size_t step = std::min<std::size_t>(populateStep, static_cast<std::size_t>(end - populated));
            if (populateUnsupported.load(std::memory_order_relaxed) ||
                ::madvise(populated, step, MADV_POPULATE_WRITE) != 0) {
                populateUnsupported.store(true, std::memory_order_relaxed); // kernels before 5.14: fault page by page
                populated = end;
                return;
            }
            populated += step;
        }
    }
};

thread_local ThreadChunk threadChunk;

#endif

} // namespace

#if PLENWICK_NODE_CHUNKS

void* allocateNodeMemory(std::size_t bytes) {
    bytes = (bytes + 7) & ~std::size_t{7};
    ThreadChunk& t = threadChunk;
    if (static_cast<std::size_t>(t.end - t.next) < bytes) {
        if (bytes > chunkAlignment / 4) {
            // A giant node gets a chunk of its own.
            ChunkHeader* own = mapChunk((headerSize + bytes + pageSize - 1) & ~(pageSize - 1));
            own->live.store(1, std::memory_order_relaxed);
            return reinterpret_cast<char*>(own) + headerSize;
        }
        t.seal();
        const std::size_t size = t.nextSize;
        t.nextSize = std::min(t.nextSize * 2, chunkAlignment);
        t.chunk = mapChunk(size);
        t.next = reinterpret_cast<char*>(t.chunk) + headerSize;
        t.end = reinterpret_cast<char*>(t.chunk) + size;
        t.populated = reinterpret_cast<char*>(t.chunk) + pageSize; // the header's page
    }
    if (t.next + bytes > t.populated) t.populateFor(bytes);
    void* memory = t.next;
    t.next += bytes;
    ++t.handedOut;
    return memory;
}

void freeNodeMemory(void* memory) noexcept {
    if (!memory) return;
    auto* chunk =
        reinterpret_cast<ChunkHeader*>(reinterpret_cast<std::uintptr_t>(memory) & ~(chunkAlignment - 1));
    if (chunk->live.fetch_sub(1, std::memory_order_acq_rel) == 1) unmapChunk(chunk);
}

void releaseThreadNodeChunk() noexcept { threadChunk.seal(); }

#else

void* allocateNodeMemory(std::size_t bytes) { return ::operator new(bytes); }
void freeNodeMemory(void* memory) noexcept { ::operator delete(memory); }
void releaseThreadNodeChunk() noexcept {}

#endif

std::int64_t nodeChunksInUse() noexcept { return chunksInUse.load(std::memory_order_relaxed); }

} // namespace plenwick
