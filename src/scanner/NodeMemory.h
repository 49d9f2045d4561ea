#pragma once
// Where FileNodes live. A scan makes a million small nodes on a handful of threads;
// glibc's per-thread arenas grow one page at a time (an mprotect for every page)
// and add a 16-byte-rounded header to each node. Instead, every thread carves its
// nodes out of chunks of its own (64 KiB at first, doubling up to 2 MiB), 8-byte
// aligned with no header. Chunks are not backed by huge pages: a thread's chunk
// would then be resident whole however little of it is used. A chunk
// counts its live nodes and is given back when the last one goes, from whichever
// thread releases it; space of a dead node is not reused before that.
//
// Under AddressSanitizer nodes come from operator new, so that use after free and
// overflows of nodes stay detectable.

#include <cstddef>
#include <cstdint>

namespace plenwick {

void* allocateNodeMemory(std::size_t bytes);
void freeNodeMemory(void* memory) noexcept;

// Chunks mapped right now, in the whole process (for tests).
std::int64_t nodeChunksInUse() noexcept;
// Gives back the calling thread's current chunk if none of its nodes is alive
// (threads do this when they end).
void releaseThreadNodeChunk() noexcept;

} // namespace plenwick
