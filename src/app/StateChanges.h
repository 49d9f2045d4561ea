#pragma once
// The fields the running operation of the application state has changed so far. The
// state owns one; each of its parts marks the bits of its own fields in it (`assign`,
// `touch`, `forget`), and the state reports them all in one `changed` signal when its
// outermost operation returns.

#include "app/StateField.h"
#include "runtime/ObservedFields.h"

namespace plenwick {

using StateChanges = ObservedFields<StateField>;

} // namespace plenwick
