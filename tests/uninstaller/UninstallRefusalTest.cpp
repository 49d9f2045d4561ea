#include "uninstaller/UninstallRefusal.h"

#include <gtest/gtest.h>

using namespace plenwick;

TEST(UninstallRefusalTest, SaysWhoRemovesTheAppsItWontTouch) {
    EXPECT_EQ(uninstallRefusal("/home/u/Odd.AppImage", std::nullopt), "“Odd.AppImage” isn’t an app Plenwick can read.");
    AppBundleInfo app{"/usr/share/applications/foo.desktop", "Foo", "foo", std::nullopt, std::nullopt, {}, AppManager::system};
    EXPECT_EQ(uninstallRefusal(app.url, app), "“Foo” is managed by the system’s package manager and can’t be uninstalled here.");
    app.managedBy = AppManager::flatpak;
    EXPECT_EQ(uninstallRefusal(app.url, app),
              "“Foo” is managed by Flatpak and can’t be uninstalled here. Remove it in your software centre.");
    app.managedBy = AppManager::snap;
    EXPECT_EQ(uninstallRefusal(app.url, app),
              "“Foo” is managed by Snap and can’t be uninstalled here. Remove it in your software centre.");
    app.managedBy = AppManager::user;
    EXPECT_EQ(uninstallRefusal(app.url, app), std::nullopt);
    app.bundleID = "com.apple.Foo";
    EXPECT_EQ(uninstallRefusal(app.url, app), "“Foo” comes with the system and can’t be uninstalled.");
}
