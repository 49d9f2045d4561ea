#pragma once
// How many processors this process may run on: its affinity mask, so a process
// confined by taskset or a container's cpuset sizes its threads to what it gets.

namespace plenwick {

// At least 1.
unsigned availableProcessors() noexcept;

} // namespace plenwick
