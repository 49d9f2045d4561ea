// One running copy of the program: a later launch hands its folder to the copy that
// owns the program's name on the session bus, or asks it to come forward.
#include "platform/AppActivation.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

namespace plenwick::test {
namespace {

// A name of this test's own: other tests on the same bus own the program's.
QString uniqueName(const char* what) {
    return QStringLiteral("tarnwell.PlenwickTest.%1.p%2").arg(QLatin1String(what)).arg(::getpid());
}

class SingleCopy : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";
    }
};

TEST_F(SingleCopy, ALaunchWithAFolderHandsItsPathToTheRunningCopy) {
    int activated = 0;
    std::vector<std::vector<std::string>> opened;
    AppActivation running(uniqueName("open"), [&] { ++activated; });
    running.setOpen([&](const std::vector<std::string>& paths) { opened.push_back(paths); });
    ASSERT_TRUE(running.isRegistered());

    // Names are bytes: one that is not UTF-8 arrives as it left.
    const std::string odd = "/tmp/caf\xE9 folder/with space";
    EXPECT_EQ(handOffToRunningCopy(uniqueName("open"), {odd, "/srv/data"}), HandOff::delivered);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (std::vector<std::string>{odd, "/srv/data"}));
    EXPECT_EQ(activated, 0);

    // Without a folder the copy only comes forward.
    EXPECT_EQ(handOffToRunningCopy(uniqueName("open"), {}), HandOff::delivered);
    EXPECT_EQ(activated, 1);
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(SingleCopy, OpenWithoutALocalFileComesForwardAsActivateDoes) {
    int activated = 0;
    AppActivation running(uniqueName("remote"), [&] { ++activated; });
    ASSERT_TRUE(running.isRegistered());
    running.Open({QStringLiteral("https://example.org/home")}, {});
    EXPECT_EQ(activated, 1) << "a web address is not the local folder of that name";

    // A copy that takes no folders comes forward for one.
    AppActivation plain(uniqueName("plain"), [&] { ++activated; });
    EXPECT_EQ(handOffToRunningCopy(uniqueName("plain"), {"/srv/data"}), HandOff::delivered);
    EXPECT_EQ(activated, 2);
}

TEST_F(SingleCopy, NobodyOwningTheNameMeansNotRunningAndTheFirstCopyKeepsIt) {
    EXPECT_EQ(handOffToRunningCopy(uniqueName("nobody"), {"/srv/data"}), HandOff::notRunning);
    AppActivation first(uniqueName("kept"), [] {});
    AppActivation second(uniqueName("kept"), [] {});
    EXPECT_TRUE(first.isRegistered());
    EXPECT_FALSE(second.isRegistered()) << "a later copy leaves the name to the first";
}

} // namespace
} // namespace plenwick::test
