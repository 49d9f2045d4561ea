#pragma once
// Folds one hash value into another, for hashing values made of several fields.

#include <cstddef>

namespace plenwick {

inline void hashCombine(std::size_t& seed, std::size_t value) noexcept {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

} // namespace plenwick
