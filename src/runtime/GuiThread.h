#pragma once
// The GUI thread's ownership of the state and of every view model. The check is on in
// every build: it costs one comparison, and a call from another thread would race
// the GUI thread's unlocked reads.

#include <source_location>

namespace plenwick {

// Whether the caller runs on the thread of the application object (true while there
// is none).
bool isGuiThread() noexcept;

[[noreturn]] void abortOffGuiThread(const std::source_location& caller) noexcept;

// Aborts with a message naming the caller unless it runs on the GUI thread.
inline void assertGuiThread(std::source_location caller = std::source_location::current()) noexcept {
    if (!isGuiThread()) abortOffGuiThread(caller);
}

} // namespace plenwick
