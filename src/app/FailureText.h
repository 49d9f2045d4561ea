#pragma once
// The text a failed scan or rescan shows the user.

#include <exception>
#include <string>
#include <string_view>

namespace plenwick {

// The failure's description as display text, so that a path that is not valid UTF-8
// shows replacement characters rather than broken text; `unknown` for a failure that
// carries none.
std::string failureText(const std::exception_ptr& error, std::string_view unknown);

} // namespace plenwick
