#pragma once
// Makes an operation started from inside a `changed` handler fail the running test
// (outside the tests it is a warning), or counts such operations.

#include "runtime/OperationWhileNotifying.h"

#include <gtest/gtest.h>

namespace plenwick::test {

inline void failOperationsWhileNotifying() {
    setOperationWhileNotifyingHandler([](const std::source_location& operation) {
        ADD_FAILURE_AT(operation.file_name(), static_cast<int>(operation.line()))
            << operation.function_name() << " started from inside a changed handler";
    });
}

// While alive, counts the reports instead: for the tests of the report itself.
class CountedReentries {
public:
    CountedReentries() : previous_(setOperationWhileNotifyingHandler([](const std::source_location&) { ++counter(); })) {
        counter() = 0;
    }
    ~CountedReentries() { setOperationWhileNotifyingHandler(previous_); }
    CountedReentries(const CountedReentries&) = delete;
    CountedReentries& operator=(const CountedReentries&) = delete;
    int count() const { return counter(); }

private:
    static int& counter() {
        static int reports = 0;
        return reports;
    }
    OperationWhileNotifyingHandler previous_;
};

} // namespace plenwick::test
