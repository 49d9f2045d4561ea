#include "services/DesktopEntry.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

TEST(DesktopEntryTest, ReadsTheEntryGroupWithEscapesAndTheLocalesName) {
    ::setenv("LANGUAGE", "de_AT:de", 1);
    const auto entry = parseDesktopEntry(
        "# comment\n"
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Foo Viewer\n"
        "Name[de]=Foo-Betrachter\n"
        "Name[fr]=Visionneuse\n"
        "Exec=\"/opt/Foo Dir/foo\" --title \"a \\\\\"b\\\\\"\" %U\n"
        "TryExec=\\sfoo\n"
        "Icon=foo\n"
        "StartupWMClass=FooMain\n"
        "X-Flatpak=org.example.Foo\n"
        "X-AppImage-Version=1.2.3\n"
        "NoDisplay=true\n"
        "X-GNOME-Autostart-enabled=false\n"
        "[Desktop Action New]\n"
        "Name=Hidden=true\n"
        "Hidden=true\n");
    ::unsetenv("LANGUAGE");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->type, "Application");
    EXPECT_EQ(entry->name, "Foo-Betrachter");
    EXPECT_EQ(entry->exec, "\"/opt/Foo Dir/foo\" --title \"a \\\"b\\\"\" %U");
    EXPECT_EQ(entry->tryExec, " foo");
    EXPECT_EQ(entry->icon, "foo");
    EXPECT_EQ(entry->startupWMClass, "FooMain");
    EXPECT_EQ(entry->flatpakID, "org.example.Foo");
    EXPECT_EQ(entry->appImageVersion, "1.2.3");
    EXPECT_TRUE(entry->noDisplay);
    EXPECT_FALSE(entry->hidden); // another group's key
    EXPECT_EQ(entry->gnomeAutostartEnabled, false);
    EXPECT_EQ(execArguments(entry->exec), (std::vector<std::string>{"/opt/Foo Dir/foo", "--title", "a \"b\""}));

    const auto plain = parseDesktopEntry("[Desktop Entry]\nName=Bar\nHidden=maybe\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->name, "Bar");
    EXPECT_FALSE(plain->hidden);
    EXPECT_FALSE(plain->gnomeAutostartEnabled.has_value());
}

TEST(DesktopEntryTest, WhatIsNoEntryGivesNothing) {
    EXPECT_FALSE(parseDesktopEntry(""));
    EXPECT_FALSE(parseDesktopEntry("[Desktop Action x]\nName=Foo\n"));
    EXPECT_FALSE(parseDesktopEntry("\x7f" "ELF\x02\x01\x01"));
    EXPECT_FALSE(parseDesktopEntry("[Desktop Entry\nName=Foo\n"));
    std::string huge = "[Desktop Entry]\nName=";
    huge.append(maxDesktopEntrySize, 'x');
    EXPECT_FALSE(parseDesktopEntry(huge));
    // An invalid value costs that value only.
    const auto odd = parseDesktopEntry("[Desktop Entry]\nName=\xff\xfe\nExec=foo\n");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->name, "");
    EXPECT_EQ(odd->exec, "foo");
}

TEST(DesktopEntryTest, ExecIsSplitByItsQuotingRules) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(execArguments("foo %f --icon %i %c %k"), (Args{"foo", "--icon"}));
    EXPECT_EQ(execArguments("  foo   --file=%f  100%% "), (Args{"foo", "--file=", "100%"}));
    EXPECT_EQ(execArguments("\"/a b/c\" \"\" \"\\$HOME \\`x\\` \\\\\""), (Args{"/a b/c", "", "$HOME `x` \\"}));
    EXPECT_EQ(execArguments("env A=1 /usr/bin/foo"), (Args{"env", "A=1", "/usr/bin/foo"}));
    EXPECT_EQ(execArguments("foo \"unclosed"), Args{});
    EXPECT_EQ(execArguments(""), Args{});
}

TEST(DesktopEntryTest, ReadsOnlyARegularFileNamedDirectly) {
    TempFolder dir;
    writeFile(dir / "foo.desktop", "[Desktop Entry]\nType=Application\nName=Foo\n");
    ASSERT_TRUE(readDesktopEntryFile(dir / "foo.desktop"));
    EXPECT_EQ(readDesktopEntryFile(dir / "foo.desktop")->name, "Foo");
    ASSERT_EQ(::symlink((dir / "foo.desktop").c_str(), (dir / "link.desktop").c_str()), 0);
    EXPECT_FALSE(readDesktopEntryFile(dir / "link.desktop"));
    ASSERT_EQ(::mkfifo((dir / "fifo.desktop").c_str(), 0600), 0);
    EXPECT_FALSE(readDesktopEntryFile(dir / "fifo.desktop")); // returns at once
    EXPECT_FALSE(readDesktopEntryFile(dir.path()));
    EXPECT_FALSE(readDesktopEntryFile(dir / "missing.desktop"));
}

TEST(DesktopEntryTest, FileIDsJoinSubfoldersWithDashes) {
    EXPECT_EQ(desktopFileID("/usr/share/applications/kde4/foo.desktop", "/usr/share/applications"),
              "kde4-foo.desktop");
    EXPECT_EQ(desktopFileID("/usr/share/applications/foo.desktop", "/usr/share/applications/"), "foo.desktop");
    EXPECT_EQ(desktopFileID("/elsewhere/foo.desktop", "/usr/share/applications"), "foo.desktop");
    EXPECT_EQ(desktopFileID("/usr/share/applicationsX/foo.desktop", "/usr/share/applications"), "foo.desktop");
}
