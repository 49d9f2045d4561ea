#include "platform/LoginItem.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace plenwick::test {
namespace {

TEST(DesktopExec, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(desktopExecValue("/opt/Plenwick.app/Contents/MacOS/PlenwickHelper"),
              "/opt/Plenwick.app/Contents/MacOS/PlenwickHelper");
    EXPECT_EQ(desktopExecValue("/home/ann/My Apps/Helper"), "\"/home/ann/My Apps/Helper\"");
    // Inside quotes " ` $ \ take a backslash; then the string escape doubles every backslash.
    EXPECT_EQ(desktopExecValue("/a\"b`c$d\\e"), "\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e\"");
    EXPECT_EQ(desktopExecValue("/opt/100%/Helper"), "/opt/100%%/Helper");

    for (const std::string path : {"/opt/plain", "/home/ann/My Apps/Helper", "/a\"b`c$d\\e", "/x/it's & <this>; #1 (~*?|)",
                                   "/opt/100%/Helper", "/home/ann/Éléments/Helper"}) {
        EXPECT_EQ(desktopExecProgram(desktopExecValue(path)), path) << path;
    }
    EXPECT_THROW(desktopExecValue("/opt/bad\xFF"), LoginItemError);
    EXPECT_THROW(desktopExecValue("/opt/line\nbreak"), LoginItemError);
    EXPECT_EQ(desktopExecProgram("\"/unterminated"), "");
    EXPECT_EQ(desktopExecProgram("/opt/helper %U"), "/opt/helper");
}

TEST(AutostartEntry, ReadsBackOnlyAnEntryThatStartsThisHelper) {
    TempFolder config, bundle;
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const std::string program = bundle.path() + "/Helper with space";
    writeFile(program, "");
    ::chmod(program.c_str(), 0755);
    AutostartLoginItem item("tarnwell.Plenwick.Helper", "Plenwick Helper", program);
    EXPECT_EQ(item.entryPath(), config.path() + "/autostart/tarnwell.Plenwick.Helper.desktop");
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    item.registerItem();
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);

    const std::string written = readFile(item.entryPath());
    writeFile(item.entryPath(), written + "Hidden=true\n");
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered) << "hidden by the desktop's session settings";
    writeFile(item.entryPath(), "[Desktop Entry]\nExec=/usr/bin/other-program\n");
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered) << "another program under the same name";
    writeFile(item.entryPath(), "[Other Group]\nExec=\"" + program + "\"\n");
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);

    item.unregisterItem();
    EXPECT_FALSE(existsNoFollow(item.entryPath()));
    EXPECT_NO_THROW(item.unregisterItem());

    // Without an absolute XDG_CONFIG_HOME the entry goes to ~/.config.
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::setenv("HOME", bundle.path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(item.entryPath(), bundle.path() + "/.config/autostart/tarnwell.Plenwick.Helper.desktop");
    ::setenv("HOME", savedHome.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(AutostartEntry, AFolderThatCannotBeWrittenIsReportedNotThrownAway) {
    TempFolder config, bundle;
    const std::string program = bundle.path() + "/Helper";
    writeFile(program, "");
    ::chmod(program.c_str(), 0755);
    ::chmod(bundle.path().c_str(), 0755);
    ::chmod(config.path().c_str(), 0555);
    const std::string outcome = asNobody([&] {
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        AutostartLoginItem item("tarnwell.Plenwick.Helper", "Plenwick Helper", program);
        try {
            item.registerItem();
            return std::string("registering in a read-only folder succeeded");
        } catch (const LoginItemError& error) {
            return error.errorDescription().find("autostart") == std::string::npos ? "no folder in: " + error.errorDescription()
                                                                                     : std::string();
        }
    });
    EXPECT_EQ(outcome, "");
}

} // namespace
} // namespace plenwick::test
