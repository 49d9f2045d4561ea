// Runs on an X server of its own, started here, under a session bus of its own (see
// CMakeLists.txt).
#include "PrivateXServer.h"
#include "common/TestFonts.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    const plenwick::test::PrivateXServer server(PLENWICK_XVFB, "1600x1000x24");
    if (!server.failure().empty()) {
        std::fprintf(stderr, "no X server: %s\n", server.failure().c_str());
        return 1;
    }
    plenwick::test::pinTestFonts();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
