#pragma once
// A parallel loop over a small process-wide pool of threads, one per processor.
// The calling thread takes part, so nested or concurrent loops cannot starve.

#include <cstddef>
#include <functional>

namespace plenwick {

// Runs body(0) … body(count − 1), each exactly once, and returns when all are done.
// `threadLimit` caps how many threads run them at once, the caller included
// (0: the caller and the whole pool). When a call of `body` throws, the indices not
// yet started are skipped and the first exception is rethrown on the caller once no
// thread runs `body` any more.
void parallelFor(std::size_t count, const std::function<void(std::size_t)>& body, unsigned threadLimit = 0);

} // namespace plenwick
