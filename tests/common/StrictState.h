#pragma once
// Makes a state operation started from inside a `changed` handler fail the running
// test (outside the tests it is a warning).

#include "app/OperationWhileNotifying.h"

#include <gtest/gtest.h>

namespace plenwick::test {

inline void failOperationsWhileNotifying() {
    setOperationWhileNotifyingHandler([](const std::source_location& operation) {
        ADD_FAILURE_AT(operation.file_name(), static_cast<int>(operation.line()))
            << operation.function_name() << " started from inside a changed handler";
    });
}

} // namespace plenwick::test
