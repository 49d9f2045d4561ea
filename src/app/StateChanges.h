#pragma once
// The fields the running operation of the application state has changed so far. The
// state owns one; each of its parts marks the bits of its own fields in it, and the
// state reports them all in one `changed` signal when its outermost operation returns.

#include "app/StateField.h"

#include <utility>

namespace plenwick {

class StateChanges {
public:
    // A field changed in place (a counter, an insertion into a set).
    void touch(StateField field) noexcept { bits_ |= stateBit(field); }
    // Stores `value` and marks the field, unless it already holds an equal value (nodes
    // and lists of nodes compare by identity). Returns whether it changed.
    template <class T>
    bool assign(T& stored, T value, StateField field) {
        if (stored == value) return false;
        stored = std::move(value);
        touch(field);
        return true;
    }
    bool has(StateField field) const noexcept { return (bits_ & stateBit(field)) != 0; }
    void forget(StateField field) noexcept { bits_ &= ~stateBit(field); }
    // The bits so far; the set starts empty again.
    StateFields take() noexcept { return std::exchange(bits_, 0); }

private:
    StateFields bits_ = 0;
};

} // namespace plenwick
