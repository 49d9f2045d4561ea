// The state's tests run headless: a core application gives them an event loop.
#include "common/StrictState.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    plenwick::test::failOperationsWhileNotifying();
    return RUN_ALL_TESTS();
}
