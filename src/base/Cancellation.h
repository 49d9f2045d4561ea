#pragma once
// Thrown by long operations that stop because their caller cancelled them.

#include <exception>

namespace plenwick {

class CancellationError : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

} // namespace plenwick
