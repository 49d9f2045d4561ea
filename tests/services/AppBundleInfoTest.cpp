#include "services/AppBundleInfo.h"

#include "common/PlistFixtures.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

using Format = PlistFormat;

class AppBundleInfoTest : public ::testing::TestWithParam<Format> {
protected:
    TempFolder dir;
};

} // namespace

TEST_P(AppBundleInfoTest, ReadsNamesAndNestedBundles) {
    const Format f = GetParam();
    const std::string app = dir / "Tools/Viewer.app";
    makeBundle(app, {{"CFBundleIdentifier", "com.maker.Viewer"}, {"CFBundleDisplayName", " \t "},
                     {"CFBundleName", "  Viewer Pro "}, {"CFBundleExecutable", "viewer"},
                     {"CFBundleShortVersionString", "2.1"}}, f);
    const std::string c = app + "/Contents/";
    makeBundle(c + "Library/LoginItems/Own.app", {{"CFBundleIdentifier", "com.maker.Viewer.LoginHelper"}}, f);
    makeBundle(c + "Library/LoginItems/Agent.app", {{"CFBundleIdentifier", "com.maker.ViewerAgent"}}, f);
    makeBundle(c + "XPCServices/Fetch.xpc", {{"CFBundleIdentifier", "com.maker.fetch"}}, f);
    makeBundle(c + "PlugIns/Fetch2.appex", {{"CFBundleIdentifier", "com.maker.fetch"}}, f);
    makeBundle(c + "Frameworks/Sparkle.framework", {{"CFBundleIdentifier", "com.maker.framework"}}, f);
    makeBundle(c + "Helpers/Updater.app", {{"CFBundleIdentifier", "org.sparkle-project.Sparkle.Updater"}}, f);
    makeBundle(c + "Helpers/Keystone.app", {{"CFBundleIdentifier", "com.google.KeystoneAgent"}}, f);
    makeBundle(c + "Helpers/Blank.app", {{"CFBundleIdentifier", ""}}, f);
    makeBundle(c + "MacOS/NoExtension", {{"CFBundleIdentifier", "com.maker.never"}}, f);
    makeBundle(c + "MacOS/Deep.app/Contents/Helpers/Inner.app", {{"CFBundleIdentifier", "com.maker.inner"}}, f);

    const auto info = AppBundleInfo::read(dir / "Tools/./Viewer.app/");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->url, app);
    EXPECT_EQ(info->name, "  Viewer Pro ");
    EXPECT_EQ(info->bundleID, "com.maker.Viewer");
    EXPECT_EQ(info->executableName, "viewer");
    EXPECT_EQ(info->version, "2.1");
    // A child without an extension is a nested bundle too when it has an Info.plist.
    EXPECT_EQ(info->relatedBundleIDs,
              (std::vector<std::string>{"com.maker.ViewerAgent", "com.maker.fetch", "com.maker.never"}));
    // The executable's, the shown and the file name, each as written: "viewer" and
    // "Viewer" differ in case, so both are kept.
    EXPECT_EQ(info->nameCandidates(), (std::set<std::string>{"  Viewer Pro ", "Viewer", "viewer"}));
}

TEST_P(AppBundleInfoTest, WhiteSpaceOfEveryKindIsBlank) {
    makeBundle(dir / "Spaces.app", {{"CFBundleIdentifier", "x.spaces"}, {"CFBundleDisplayName", "\u00a0\n\u2003"},
                                    {"CFBundleName", "\r\t\u3000\u0085"}}, GetParam());
    const auto spaces = AppBundleInfo::read(dir / "Spaces.app");
    ASSERT_TRUE(spaces);
    EXPECT_EQ(spaces->name, "Spaces");
    makeBundle(dir / "Kept.app", {{"CFBundleIdentifier", "x.kept"}, {"CFBundleDisplayName", "\u00a0Kept\n"}},
               GetParam());
    EXPECT_EQ(AppBundleInfo::read(dir / "Kept.app")->name, "\u00a0Kept\n") << "stored as written";
}

TEST_P(AppBundleInfoTest, NamesFallBackAndIdentifiersAreRequired) {
    makeBundle(dir / "Plain.app", {{"CFBundleIdentifier", "x.plain"}, {"CFBundleExecutable", "Plain"}}, GetParam());
    const auto plain = AppBundleInfo::read(dir / "Plain.app");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->name, "Plain");
    EXPECT_EQ(plain->version, std::nullopt);
    EXPECT_EQ(plain->nameCandidates(), std::set<std::string>{"Plain"}) << "one name, once";
    makeBundle(dir / "Empty.app", {{"CFBundleIdentifier", ""}, {"CFBundleName", "Empty"}}, GetParam());
    EXPECT_FALSE(AppBundleInfo::read(dir / "Empty.app"));
    EXPECT_FALSE(AppBundleInfo::read(dir / "Missing.app"));
}

INSTANTIATE_TEST_SUITE_P(Formats, AppBundleInfoTest, ::testing::Values(Format::xml, Format::binary),
                         [](const auto& info) { return info.param == Format::xml ? "xml" : "binary"; });

TEST(AppBundleInfo, UnsafeOrBrokenPropertyListsReadAsNothing) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "Fifo.app/Contents");
    mkfifo((dir / "Fifo.app/Contents/Info.plist").c_str(), 0644);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(readInfoPlist(dir / "Fifo.app"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    std::filesystem::create_directories(dir / "Big.app/Contents");
    writeFile(dir / "Big.app/Contents/Info.plist", std::string(maxPropertyListSize + 1, ' '));
    EXPECT_FALSE(readInfoPlist(dir / "Big.app"));
    std::filesystem::create_directories(dir / "Text.app/Contents");
    writeFile(dir / "Text.app/Contents/Info.plist", "not a property list <");
    EXPECT_FALSE(readInfoPlist(dir / "Text.app"));
    std::filesystem::create_directories(dir / "Array.app/Contents");
    writeFile(dir / "Array.app/Contents/Info.plist", "<plist><array><string>a</string></array></plist>");
    EXPECT_FALSE(readInfoPlist(dir / "Array.app"));
    std::filesystem::create_directories(dir / "Dev.app/Contents");
    symlink("/dev/zero", (dir / "Dev.app/Contents/Info.plist").c_str());
    EXPECT_FALSE(readInfoPlist(dir / "Dev.app"));
}

TEST(AppBundleInfo, MatchableNames) {
    EXPECT_EQ(matchableNames({"Go", "HELPER", "Chrome", "Zed", "Viewer", "éé", "日本語", "Updater"}),
              (std::set<std::string>{"Zed", "Viewer", "日本語"}));
    AppBundleInfo same{"/A/Viewer.app", "Viewer", "x", "Viewer", std::nullopt, {}};
    EXPECT_EQ(same.nameCandidates(), std::set<std::string>{"Viewer"});
    AppBundleInfo generic{"/A/Zed Tool.app", "Go", "x", "helper", std::nullopt, {}};
    EXPECT_EQ(generic.nameCandidates(), std::set<std::string>{"Zed Tool"}) << "only the usable names";
    EXPECT_EQ(AppBundleInfoHash{}(same), AppBundleInfoHash{}(AppBundleInfo(same)));
}

TEST(AppBundleInfo, AppBundlePathsEndInApp) {
    EXPECT_TRUE(isAppBundlePath("/Applications/Viewer.app"));
    EXPECT_TRUE(isAppBundlePath("/Applications/Viewer.app/"));
    EXPECT_FALSE(isAppBundlePath("/Applications/Viewer.app/Contents"));
    EXPECT_FALSE(isAppBundlePath("/Applications/Viewer.application"));
    EXPECT_FALSE(isAppBundlePath("/"));
}

TEST(AppBundleInfo, NestedBundlesAreReadWithoutFollowingLinksAndAtBoundedCost) {
    TempFolder dir;
    const std::string app = dir / "Links.app";
    makeBundle(app, {{"CFBundleIdentifier", "com.maker.links"}});
    makeBundleOfLinks(app, dir / "outside", 320);
    const std::string c = app + "/Contents/";
    // A child whose Contents, or whose Info.plist, is a link: not read either.
    std::filesystem::create_directories(c + "XPCServices/Linked.xpc");
    std::filesystem::create_directory_symlink(dir / "outside/Big.app/Contents", c + "XPCServices/Linked.xpc/Contents");
    std::filesystem::create_directories(c + "XPCServices/Plist.xpc/Contents");
    std::filesystem::create_symlink(dir / "outside/Big.app/Contents/Info.plist", c + "XPCServices/Plist.xpc/Contents/Info.plist");
    // Three hundred bundles sharing one big Info.plist by hard links: it is read once.
    makeBundle(dir / "outside/Shared.app", {{"CFBundleIdentifier", "com.maker.shared"}, {"Padding", std::string(900'000, 's')}});
    for (int i = 0; i < 300; ++i) {
        const std::string child = c + "Library/LoginItems/Hard" + std::to_string(i) + ".app/Contents";
        std::filesystem::create_directories(child);
        std::filesystem::create_hard_link(dir / "outside/Shared.app/Contents/Info.plist", child + "/Info.plist");
    }

    const auto started = std::chrono::steady_clock::now();
    const auto info = AppBundleInfo::read(app);
    const auto took = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(info);
    EXPECT_EQ(info->relatedBundleIDs, std::vector<std::string>{"com.maker.shared"}) << "nothing read through a link";
    EXPECT_LT(took, std::chrono::seconds(3));
}

TEST(AppBundleInfo, NestedBundlesAreLookedAtUpToTheCaps) {
    TempFolder dir;
    // More children than are looked at: the count stops at the cap.
    const std::string many = dir / "Many.app";
    makeBundle(many, {{"CFBundleIdentifier", "com.maker.many"}});
    const std::size_t children = AppBundleInfo::maxNestedEntries + 40;
    for (std::size_t i = 0; i < children; ++i)
        makeBundle(many + "/Contents/PlugIns/P" + std::to_string(i) + ".appex",
                   {{"CFBundleIdentifier", "com.maker.p" + std::to_string(i)}});
    makeBundle(many + "/Contents/MacOS/Last.app", {{"CFBundleIdentifier", "com.maker.last"}});
    const auto manyInfo = AppBundleInfo::read(many);
    ASSERT_TRUE(manyInfo);
    EXPECT_EQ(manyInfo->relatedBundleIDs.size(), AppBundleInfo::maxNestedEntries);
    EXPECT_EQ(std::count(manyInfo->relatedBundleIDs.begin(), manyInfo->relatedBundleIDs.end(), "com.maker.last"), 0);

    // Distinct big files: read until the bytes run out; a small one still fits after.
    const std::string big = dir / "Big.app";
    makeBundle(big, {{"CFBundleIdentifier", "com.maker.bigs"}});
    const std::size_t each = AppBundleInfo::maxNestedInfoBytes / 5;
    static_assert(AppBundleInfo::maxNestedInfoBytes / 5 < maxPropertyListSize);
    for (int i = 0; i < 8; ++i)
        makeBundle(big + "/Contents/PlugIns/B" + std::to_string(i) + ".appex",
                   {{"CFBundleIdentifier", "com.maker.b" + std::to_string(i)}, {"Padding", std::string(each, 'b')}});
    makeBundle(big + "/Contents/MacOS/Small.app", {{"CFBundleIdentifier", "com.maker.small"}});
    const auto bigInfo = AppBundleInfo::read(big);
    ASSERT_TRUE(bigInfo);
    EXPECT_EQ(bigInfo->relatedBundleIDs.size(), 5u) << "four of the big ones and the small one";
    EXPECT_EQ(bigInfo->relatedBundleIDs.back(), "com.maker.small");
}
