#include "startup/StartupItem.h"

#include "common/TestSupport.h"

#include "base/PathNames.h"

#include <gtest/gtest.h>

#include <unordered_set>

using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;

namespace {

StartupItem item(Source source, std::string url, std::optional<bool> disabled = false) {
    StartupItem i;
    i.source = source;
    i.name = "Job";
    i.label = lastPathComponent(url);
    i.url = std::move(url);
    i.isDisabled = disabled;
    return i;
}

} // namespace

TEST(StartupItemTest, SourcesByRawValue) {
    EXPECT_EQ(StartupItem::sourceFromRaw(0), Source::loginItem);
    EXPECT_EQ(StartupItem::sourceFromRaw(4), Source::bundled);
    EXPECT_FALSE(StartupItem::sourceFromRaw(5));
    EXPECT_FALSE(StartupItem::sourceFromRaw(-1));
    EXPECT_LT(Source::systemAgent, Source::systemDaemon);
}

TEST(StartupItemTest, ManagerAndSwitchFollowTheKindOfDefinition) {
    const StartupItem unit = item(Source::userAgent, "/home/u/.config/systemd/user/a.service");
    EXPECT_EQ(unit.id(), "1:/home/u/.config/systemd/user/a.service");
    EXPECT_EQ(unit.serviceScope(), ServiceScope::user);
    EXPECT_TRUE(unit.canToggle());
    EXPECT_EQ(item(Source::systemAgent, "/etc/systemd/user/b.service").serviceScope(), ServiceScope::user);
    EXPECT_EQ(item(Source::systemDaemon, "/etc/systemd/system/c.service").serviceScope(), ServiceScope::system);

    const StartupItem shared = item(Source::systemAgent, "/etc/xdg/autostart/d.desktop");
    EXPECT_TRUE(shared.isAutostartEntry());
    EXPECT_FALSE(shared.serviceScope());
    EXPECT_TRUE(shared.canToggle()) << "by the user's override";
    EXPECT_TRUE(item(Source::loginItem, "/home/u/.config/autostart/e.desktop").canToggle()) << "by its own file";
    EXPECT_FALSE(item(Source::bundled, "/x/e.desktop").canToggle());
    EXPECT_FALSE(item(Source::userAgent, "/x/f.service", std::nullopt).canToggle()) << "state unknown";
    StartupItem unlabelled = unit;
    unlabelled.label.reset();
    EXPECT_FALSE(unlabelled.canToggle());
}

TEST(StartupItemTest, VendorFilesAreNotRemovable) {
    EXPECT_TRUE(item(Source::systemDaemon, "/usr/lib/systemd/system/ssh.service").removalRefusal());
    EXPECT_TRUE(item(Source::systemAgent, "/usr/lib/systemd/user/x.service").removalRefusal());
    EXPECT_FALSE(item(Source::systemDaemon, "/usr/local/lib/x.service").removalRefusal());
    EXPECT_FALSE(item(Source::systemDaemon, "/etc/systemd/system/x.service").removalRefusal());
    EXPECT_FALSE(item(Source::systemDaemon, "/usrx/x.service").removalRefusal());
}

TEST(StartupItemTest, PasswordFollowsTheSourceAndTheFoldersRights) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "autostart");
    chmod((dir / "autostart").c_str(), 0755);
    const StartupItem all = item(Source::systemAgent, dir / "autostart/x.desktop");
    EXPECT_FALSE(all.needsPassword()); // root here may write it
    EXPECT_TRUE(item(Source::systemDaemon, dir / "autostart/x.service").needsPassword());
    EXPECT_FALSE(item(Source::userAgent, "/nonexistent/x.service").needsPassword());
    EXPECT_EQ(asNobody([&]() -> std::string {
                  if (!all.needsPassword()) return "a folder nobody can't write needs no password";
                  return {};
              }),
              "");
}

TEST(StartupItemTest, DetailLineShowsLabelProgramOrPath) {
    const std::string home = "/home/u";
    StartupItem i = item(Source::userAgent, "/home/u/.config/systemd/user/job.service");
    i.label = "Job";
    i.programPath = "/home/u/bin/job";
    EXPECT_EQ(i.detailLine(home), "~/bin/job"); // label equals the name
    i.label = "job.service";
    EXPECT_EQ(i.detailLine(home), "job.service — ~/bin/job");
    i.programPath.reset();
    EXPECT_EQ(i.detailLine(home), "job.service"); // no path after a label
    i.label = "Job";
    EXPECT_EQ(i.detailLine(home), "~/.config/systemd/user/job.service");
}

TEST(StartupItemTest, EqualityAndHashCoverEveryField) {
    StartupItem a = item(Source::userAgent, "/x.service");
    StartupItem b = a;
    EXPECT_EQ(a, b);
    b.isLoaded = false;
    EXPECT_NE(a, b); // unknown is not "not running"
    a.isLoaded = false;
    EXPECT_EQ(a, b);
    std::unordered_set<StartupItem, StartupItemHash> set{a, b};
    EXPECT_EQ(set.size(), 1u);
    b.isDisabled.reset();
    set.insert(b);
    EXPECT_EQ(set.size(), 2u);
}
