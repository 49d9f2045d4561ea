#include "startup/StartupItem.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <unordered_set>

using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;

namespace {

StartupItem agent(Source source, std::optional<std::string> label, std::string url = "/L/job.plist") {
    StartupItem item;
    item.source = source;
    item.name = "Job";
    item.label = std::move(label);
    item.url = std::move(url);
    return item;
}

} // namespace

TEST(StartupItemTest, SourcesByRawValue) {
    EXPECT_EQ(StartupItem::sourceFromRaw(0), Source::loginItem);
    EXPECT_EQ(StartupItem::sourceFromRaw(4), Source::bundled);
    EXPECT_FALSE(StartupItem::sourceFromRaw(5));
    EXPECT_FALSE(StartupItem::sourceFromRaw(-1));
    EXPECT_LT(Source::systemAgent, Source::systemDaemon);
}

TEST(StartupItemTest, IdentityDomainAndToggling) {
    const StartupItem user = agent(Source::userAgent, "com.a", "/home/u/Library/LaunchAgents/com.a.plist");
    EXPECT_EQ(user.id(), "1:/home/u/Library/LaunchAgents/com.a.plist");
    EXPECT_EQ(user.launchctlDomain(), "gui/" + std::to_string(getuid()));
    EXPECT_EQ(agent(Source::systemAgent, "x").launchctlDomain(), user.launchctlDomain());
    EXPECT_EQ(agent(Source::systemDaemon, "x").launchctlDomain(), "system");
    EXPECT_FALSE(agent(Source::loginItem, std::nullopt).launchctlDomain());
    EXPECT_FALSE(agent(Source::bundled, "x").launchctlDomain());

    EXPECT_TRUE(user.canToggle());
    EXPECT_FALSE(agent(Source::userAgent, std::nullopt).canToggle());
    EXPECT_FALSE(agent(Source::bundled, "x").canToggle());
}

TEST(StartupItemTest, PasswordFollowsTheSourceAndTheFoldersRights) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "LaunchAgents");
    chmod((dir / "LaunchAgents").c_str(), 0755);
    const StartupItem all = agent(Source::systemAgent, "x", dir / "LaunchAgents/x.plist");
    EXPECT_FALSE(all.needsPassword()); // root here may write it
    EXPECT_TRUE(agent(Source::systemDaemon, "x", dir / "LaunchAgents/x.plist").needsPassword());
    EXPECT_FALSE(agent(Source::userAgent, "x", "/nonexistent/x.plist").needsPassword());
    EXPECT_EQ(asNobody([&]() -> std::string {
                  if (!all.needsPassword()) return "a folder nobody can't write needs no password";
                  return {};
              }),
              "");
}

TEST(StartupItemTest, DetailLineShowsLabelProgramOrPath) {
    const std::string home = "/home/u";
    StartupItem item = agent(Source::userAgent, "Job", "/home/u/Library/LaunchAgents/job.plist");
    item.programPath = "/home/u/bin/job";
    EXPECT_EQ(item.detailLine(home), "~/bin/job"); // label equals the name
    item.label = "com.maker.job";
    EXPECT_EQ(item.detailLine(home), "com.maker.job — ~/bin/job");
    item.programPath.reset();
    EXPECT_EQ(item.detailLine(home), "com.maker.job"); // no path after a label
    item.label = "Job";
    EXPECT_EQ(item.detailLine(home), "~/Library/LaunchAgents/job.plist");
    item.label.reset();
    item.url = "/home/user2/x.plist";
    EXPECT_EQ(item.detailLine(home + "/"), "/home/user2/x.plist");
}

TEST(StartupItemTest, EqualityAndHashCoverEveryField) {
    StartupItem a = agent(Source::userAgent, "x");
    StartupItem b = a;
    EXPECT_EQ(a, b);
    b.isLoaded = false;
    EXPECT_NE(a, b); // unknown is not "not loaded"
    a.isLoaded = false;
    EXPECT_EQ(a, b);
    std::unordered_set<StartupItem, StartupItemHash> set{a, b};
    EXPECT_EQ(set.size(), 1u);
    b.hidden = true;
    set.insert(b);
    EXPECT_EQ(set.size(), 2u);
}
