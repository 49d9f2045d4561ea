#include "helper/MainProgramLink.h"

#include "platform/AppActivation.h"

#include "common/AppServiceFakes.h"
#include "common/PlistFixtures.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QTest>

#include <filesystem>

using namespace plenwick;
using namespace plenwick::test;

namespace {

class MainProgramLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        makeBundle(main, {{"CFBundleIdentifier", "tarnwell.Plenwick"}, {"CFBundleExecutable", "Plenwick"}});
        makeBundle(helper, {{"CFBundleIdentifier", "tarnwell.Plenwick.Helper"}});
        makeBundle(registered, {{"CFBundleIdentifier", "tarnwell.Plenwick"}});
        registry.bundles["tarnwell.Plenwick"] = {dir / "share/Trash/files/Plenwick.app", registered};
        setenv("XDG_DATA_HOME", (dir / "share").c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }

    TempFolder dir;
    std::string main = dir / "Build/Plenwick.app";
    std::string helper = main + "/Contents/Library/LoginItems/PlenwickHelper.app";
    std::string registered = dir / "Applications/Plenwick.app";
    FakeAppRegistry registry;
};

} // namespace

TEST_F(MainProgramLinkTest, TheEnclosingBundleComesFirstThenTheRegisteredCopy) {
    EXPECT_EQ(mainAppURL(helper, registry), main) << "even with another copy registered";
    EXPECT_EQ(mainAppURL(main, registry), main) << "the main program itself";

    // A helper copied out of the main program, or under another identifier, or whose
    // fourth parent is not named ".app" exactly: the registered copy outside the Trash.
    const std::string copied = dir / "a/b/c/d/PlenwickHelper.app";
    makeBundle(copied, {{"CFBundleIdentifier", "tarnwell.Plenwick.Helper"}});
    EXPECT_EQ(mainAppURL(copied, registry), registered);
    const std::string upper = dir / "Other.APP/Contents/Library/LoginItems/PlenwickHelper.app";
    makeBundle(upper, {{"CFBundleIdentifier", "tarnwell.Plenwick.Helper"}});
    EXPECT_EQ(mainAppURL(upper, registry), registered);
    EXPECT_EQ(mainAppURL(dir / "no bundle at all", registry), registered);
    registry.bundles.clear();
    EXPECT_EQ(mainAppURL(dir / "no bundle at all", registry), std::nullopt);
}

TEST_F(MainProgramLinkTest, TheProgramOfABundleAndQuittingEveryCopy) {
    EXPECT_EQ(bundleExecutable(main), main + "/Contents/MacOS/Plenwick");
    EXPECT_EQ(bundleExecutable(registered), std::nullopt) << "no executable named";
    makeBundle(registered, {{"CFBundleExecutable", "../../../bin/sh"}});
    EXPECT_EQ(bundleExecutable(registered), std::nullopt) << "never outside the bundle";

    FakeRunningApps running;
    running.running["tarnwell.Plenwick"] = {{11, main}, {12, registered}};
    running.running["tarnwell.Plenwick.Helper"] = {{13, helper}};
    quitMainApp(running);
    EXPECT_EQ(running.terminated, (std::vector<RunningApp>{{11, main}, {12, registered}}));
}

TEST_F(MainProgramLinkTest, OpeningBringsARunningCopyForwardOrStartsTheProgram) {
    std::vector<ProgramLaunch> launched;
    auto launch = [&](const ProgramLaunch& program) { launched.push_back(program); };
    openMainApp(std::nullopt, launch);
    QTest::qWait(50);
    EXPECT_TRUE(launched.empty()) << "no main program: nothing happens";

    if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus (tools/dev test provides one)";
    openMainApp(main, launch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !launched.empty(); }, 5000));
    EXPECT_EQ(launched, (std::vector<ProgramLaunch>{{main + "/Contents/MacOS/Plenwick", {}}}));

    int activated = 0;
    AppActivation running(QStringLiteral("tarnwell.Plenwick"), [&] { ++activated; });
    ASSERT_TRUE(running.isRegistered());
    AppActivation second(QStringLiteral("tarnwell.Plenwick"), [] {});
    EXPECT_FALSE(second.isRegistered()) << "the first copy keeps the name";
    openMainApp(main, launch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return activated == 1; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(launched.size(), 1u) << "a running copy is not started again";
}

// Installed, the main program is its desktop entry "tarnwell.Plenwick.desktop" in
// the menus' folders, started as the desktop starts it.
TEST_F(MainProgramLinkTest, AHelperOutsideTheBundleStartsTheInstalledEntryAsTheDesktopDoes) {
    const std::string share = dir / "usr/share", entry = share + "/applications/tarnwell.Plenwick.desktop";
    const std::string ran = dir / "it ran";
    std::filesystem::create_directories(share + "/applications");
    // Its program must exist for the entry to count: here one that leaves a mark.
    writeFile(entry, "[Desktop Entry]\nType=Application\nName=Plenwick\nExec=touch \"" + ran + "\"\n");
    ScopedEnvironment environment;
    environment.set("XDG_DATA_DIRS", share);
    const FolderAppRegistry installed({dir / "no apps here"});
    const std::string copied = dir / "Elsewhere/PlenwickHelper.app";
    makeBundle(copied, {{"CFBundleIdentifier", "tarnwell.Plenwick.Helper"}});
    EXPECT_EQ(mainAppURL(copied, installed), entry);
    EXPECT_EQ(mainAppURL(helper, installed), main) << "the enclosing bundle still comes first";

    EXPECT_EQ(mainAppLaunch(entry), (ProgramLaunch{"gio", {"launch", "--", entry}}));
    EXPECT_EQ(mainAppLaunch(main), (ProgramLaunch{main + "/Contents/MacOS/Plenwick", {}}));
    EXPECT_EQ(mainAppLaunch(dir / "Foo.AppImage"), std::nullopt) << "no other kind of app is the main program";

    if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus (tools/dev test provides one)";
    // For real: nobody owns the main program's name, so the entry is launched.
    openMainApp(mainAppURL(copied, installed));
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(ran); }, 10000)) << "the entry was not launched";
}

TEST(BusNameOwner, ItsOwnerComingAndGoingIsFollowed) {
    if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus (tools/dev test provides one)";
    const QString name = QStringLiteral("tarnwell.Plenwick.Test.p%1").arg(::getpid());
    int changes = 0;
    const std::unique_ptr<QObject> watch = followBusNameOwner(name, [&] { ++changes; });
    {
        AppActivation owner(name, [] {});
        ASSERT_TRUE(owner.isRegistered());
        ASSERT_TRUE(QTest::qWaitFor([&] { return changes == 1; }, 5000)) << "a program taking the name";
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes == 2; }, 5000)) << "the program leaving it";
}
