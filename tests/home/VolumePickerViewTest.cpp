#include "HomeFixture.h"

#include "app/RecentScans.h"
#include "home/HomeBannerTransition.h"
#include "home/HomeBanners.h"
#include "home/HomeControls.h"
#include "home/RecentScansList.h"
#include "home/ScanFolderCard.h"
#include "home/ToolCards.h"
#include "home/HomeTexts.h"
#include "home/VolumeCard.h"
#include "shell/WrappedToolTip.h"
#include "platform/MotionPreference.h"
#include "shell/FileIconCache.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

namespace plenwick::test {
namespace {

using Kind = AppState::Phase::Kind;

VolumeInfo disk(std::string url, std::string name, std::int64_t total, std::int64_t available) {
    return volume(std::move(url), std::move(name), total, available);
}

TEST_F(HomeTest, SectionsInOrderWithTheFolderCardLast) {
    makeHelper(false);
    VolumePickerView& home = open();
    EXPECT_EQ(home.sectionTitles(), (QStringList{"Disks", "Tools"})) << "no recent scans, no section";
    EXPECT_TRUE(home.volumeCards().empty());
    ASSERT_NE(home.folderCard(), nullptr) << "with no volumes the grid holds only the folder card";

    mount({disk("/", "Startup", 1000, 400), disk(dir.path().toStdString(), "Data", 1000, 50),
           disk("/media/ann/Backup", "Backup", 1000, 700)});
    ASSERT_EQ(home.volumeCards().size(), 3u);
    EXPECT_EQ(home.volumeCards()[1]->volume().name, "Data");
    // Laid out in one row of four at this width, the folder card last.
    const QRect first = home.volumeCards()[0]->geometry(), last = home.folderCard()->geometry();
    EXPECT_EQ(last.top(), first.top());
    EXPECT_GT(last.left(), home.volumeCards()[2]->geometry().left());
    EXPECT_EQ(home.folderCard()->height(), first.height()) << "the folder card fills its row";
    EXPECT_GE(home.folderCard()->cardRect().height(), ScanFolderCard::minimumCardHeight);
}

TEST_F(HomeTest, VolumeCardsScanTheirVolumeAndShowASymbolForAMissingMountPoint) {
    VolumePickerView& home = open();
    const std::string existing = dir.path().toStdString();
    VolumeInfo network = disk("/net/gone/share", "share", 4000, 3000);
    network.isNetwork = true;
    mount({disk(existing, "Data", 1000, 50), network});
    ASSERT_EQ(home.volumeCards().size(), 2u);
    VolumeCard* data = home.volumeCards()[0];
    VolumeCard* share = home.volumeCards()[1];
    EXPECT_TRUE(share->showsVolumeIcon()) << "until the background check answers";
    EXPECT_EQ(checks->pendingCount(), 2u) << "both mount points are checked off the GUI thread";
    runChecks();
    EXPECT_TRUE(data->showsVolumeIcon());
    EXPECT_FALSE(share->showsVolumeIcon());
    EXPECT_EQ(share->toolTip(), "/net/gone/share");

    data->scanButton()->click();
    EXPECT_EQ(state->phase().kind(), Kind::scanning);
    EXPECT_EQ(state->scanTarget(), existing);
    state->cancelScan();
    ASSERT_EQ(state->phase().kind(), Kind::home);
    // A double click anywhere on the card scans as the button does.
    QTest::mouseDClick(share, Qt::LeftButton, Qt::NoModifier, share->cardRect().center().toPoint() + QPoint(0, -60));
    EXPECT_EQ(state->scanTarget(), "/net/gone/share");
    state->cancelScan();

    // Assistive technology sees one element with a "Scan" action that does the same.
    ASSERT_EQ(home.volumeCards().size(), 2u);
    QAccessibleInterface* card = QAccessible::queryAccessibleInterface(home.volumeCards()[0]);
    ASSERT_TRUE(card && card->actionInterface());
    EXPECT_EQ(card->text(QAccessible::Name), "Data");
    EXPECT_EQ(card->childCount(), 0);
    EXPECT_EQ(card->actionInterface()->actionNames(), QStringList{"Scan"});
    card->actionInterface()->doAction("Scan");
    EXPECT_EQ(state->scanTarget(), existing);
    state->cancelScan();
}

TEST_F(HomeTest, AVolumeCardsSizeLineNamesTheReserveItLeavesOut) {
    VolumeInfo root = disk("/", "File System", 102'750'000'000, 82'530'000'000);
    VolumeCard plain(root);
    plain.resize(plain.sizeHint());
    EXPECT_EQ(plain.toolTipAt(plain.capacityRect().center()), "/") << "nothing left out: the path, as elsewhere";

    root.reservedCapacity = 5'410'000'000;
    VolumeCard card(root);
    card.resize(card.sizeHint());
    EXPECT_EQ(card.toolTipAt(card.capacityRect().center()), wrappedToolTip(home::volumeSizeHelp(root)));
    EXPECT_EQ(card.toolTipAt(card.cardRect().topLeft() + QPointF(24, 24)), "/");
    EXPECT_TRUE(card.accessibleDescription().endsWith(home::volumeSizeHelp(root)));
}

TEST_F(HomeTest, AVolumeCardDrawsItsRingInTheColourOfItsFill) {
    VolumePickerView& home = open();
    mount({disk("/srv/full", "Full", 1000, 50)});
    runChecks();
    VolumeCard* card = home.volumeCards().front();
    const QImage image = card->grab().toImage();
    // The ring's arc starts at 12 o'clock: red for a volume 95 % full.
    const QRectF ring(card->cardRect().center().x() - 56, card->cardRect().top() + 22, 112, 112);
    const QColor top = image.pixelColor(QPointF(ring.center().x() + 6, ring.top() + 4.5).toPoint());
    EXPECT_GT(top.red(), 200) << top.name().toStdString();
    EXPECT_LT(top.green(), 160) << top.name().toStdString();
    // Hovering grows the card and lights its border; leaving takes both back.
    card->hover().setHovered(true, false);
    EXPECT_GT(card->scanButton()->width(), card->cardRect().width() - 36);
    card->hover().setHovered(false, false);
    EXPECT_EQ(card->scanButton()->width(), qRound(card->cardRect().width() - 36));
}

TEST_F(HomeTest, TheWayBackMovesOutWhenTheResultsCloseUnlessMotionIsReduced) {
    MotionPreference::shared().setOverride(false);
    scanAndGoHome();
    VolumePickerView& home = open();
    ASSERT_NE(home.returnBanner(), nullptr);
    EXPECT_FALSE(home.findChild<HomeBannerTransition*>()) << "the way back is there from the start";

    home.returnBanner()->closeButton()->click();
    EXPECT_EQ(home.returnBanner(), nullptr);
    auto* leaving = home.findChild<HomeBannerTransition*>(QStringLiteral("LeavingBanner"));
    ASSERT_TRUE(leaving) << "the way back moves out when the results are closed";
    EXPECT_EQ(leaving->animation().duration(), HomeBannerTransition::kDurationMs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !leaving->isVisible(); }, 5000));

    // Reduced motion: gone at once.
    MotionPreference::shared().setOverride(true);
    scanAndGoHome();
    VolumePickerView& again = open();
    ASSERT_NE(again.returnBanner(), nullptr);
    again.returnBanner()->closeButton()->click();
    EXPECT_EQ(again.returnBanner(), nullptr);
    EXPECT_FALSE(again.findChild<HomeBannerTransition*>(QStringLiteral("LeavingBanner")));
    MotionPreference::shared().setOverride(std::nullopt);
}

TEST_F(HomeTest, ReturnBannerGoesBackOrDropsTheResults) {
    scanAndGoHome();
    VolumePickerView& home = open();
    ASSERT_NE(home.returnBanner(), nullptr);
    EXPECT_EQ(home.columnItems().mid(0, 3), (QStringList{"HomeHeader", "ReturnToResultsBanner", "Section:Disks"}))
        << "the return banner is second, above the disks";
    EXPECT_EQ(home.returnBanner()->titleText(),
              "Back to results of " + QString::fromStdString(state->displayName(*state->root())));
    // The age is read at the scan's start: a slow run must not turn "now" into "1 second ago".
    const auto startedAt = state->scanStartedAt();
    ASSERT_TRUE(startedAt.has_value());
    home.returnBanner()->setClock([t = *startedAt] { return t; });
    EXPECT_TRUE(home.returnBanner()->subtitleText().endsWith(" · 2 files · scanned now"))
        << home.returnBanner()->subtitleText().toStdString();

    // Return goes back, as does a click on the banner outside its buttons.
    QTest::keyClick(&home, Qt::Key_Return);
    EXPECT_EQ(state->phase().kind(), Kind::results);
    state->goHome();
    runUserJobs();
    ASSERT_NE(home.returnBanner(), nullptr);
    QTest::mouseClick(home.returnBanner(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 10));
    EXPECT_EQ(state->phase().kind(), Kind::results);
    state->goHome();
    runUserJobs();

    // Close Results drops the tree (and the banner) and reloads the volumes.
    const std::int64_t generation = state->volumeRefresh().volumes().refreshGeneration();
    mount({disk("/srv/later", "Later", 10, 5)});
    home.returnBanner()->closeButton()->click();
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_EQ(state->root(), nullptr);
    EXPECT_EQ(home.returnBanner(), nullptr);
    EXPECT_GT(state->volumeRefresh().volumes().refreshGeneration(), generation);
    EXPECT_EQ(userInitiated->pendingCount(), 1u) << "the volumes are loaded again";
}

TEST_F(HomeTest, RecentScansShowTheStoredListAndRemoveFromTheStoredOne) {
    const std::string present = makeTree({{"kept/file.txt", 10}}) + "/kept";
    state->preferences().setValue(RecentScans::preferenceKey,
                                  RecentScans::encode({{present, RecentScan::referenceSeconds(std::chrono::system_clock::now()), 4096},
                                                       {"/srv/gone", 0, std::nullopt}}));
    VolumePickerView& home = open();
    ASSERT_NE(home.recentScans(), nullptr);
    EXPECT_EQ(home.sectionTitles().last(), "Recent Scans");
    RecentScansList& list = *home.recentScans();
    ASSERT_EQ(list.rows().size(), 2u);
    ASSERT_EQ(list.dividers().size(), 1u);
    EXPECT_EQ(list.dividers()[0].x1() - list.cardRect().left(), RecentScansList::dividerInset);

    RecentScanRow* gone = list.row("/srv/gone");
    RecentScanRow* kept = list.row(present);
    EXPECT_TRUE(gone->isAvailable()) << "shown as available until checked";
    runChecks();
    EXPECT_FALSE(gone->isAvailable());
    EXPECT_EQ(gone->pathText(), "/srv/gone — not available");
    EXPECT_FALSE(gone->scanButton()->isEnabled());
    EXPECT_EQ(gone->sizeText(), "");
    EXPECT_EQ(kept->sizeText(), "4 KB");
    EXPECT_EQ(kept->scanButton()->toolTip(), "Scan kept again");
    QTest::mouseDClick(gone, Qt::LeftButton, Qt::NoModifier, QPoint(100, gone->height() / 2));
    EXPECT_EQ(state->phase().kind(), Kind::home) << "a missing folder is not scanned";

    // The remove button shows only under the pointer, without moving anything.
    const QRect before = kept->scanButton()->geometry();
    EXPECT_EQ(kept->removeButton()->opacity(), 0);
    kept->hover().setHovered(true, false);
    EXPECT_EQ(kept->removeButton()->opacity(), 1);
    EXPECT_EQ(kept->scanButton()->geometry(), before);

    // Removing reads the stored list again: a scan recorded since the page showed stays.
    RecentScans::record(state->preferences(), "/srv/recorded-meanwhile", std::nullopt);
    gone->removeButton()->click();
    EXPECT_EQ(RecentScans::load(state->preferences()).size(), 2u);
    EXPECT_EQ(home.recentScans()->rows().size(), 2u);
    EXPECT_EQ(home.recentScans()->row("/srv/gone"), nullptr);

    // A double click on an available row scans it.
    RecentScanRow* row = home.recentScans()->row(present);
    QTest::mouseDClick(row, Qt::LeftButton, Qt::NoModifier, QPoint(100, row->height() / 2));
    EXPECT_EQ(state->scanTarget(), present);
}

TEST_F(HomeTest, RemovingTheLastRecentScanStoresAnEmptyListAndHidesTheSection) {
    state->preferences().setValue(RecentScans::preferenceKey, RecentScans::encode({{"/srv/only", 0, 1}}));
    VolumePickerView& home = open();
    ASSERT_NE(home.recentScans(), nullptr);
    home.recentScans()->rows().front()->removeButton()->click();
    EXPECT_EQ(state->preferences().value(RecentScans::preferenceKey, {}).toByteArray(), "[]");
    EXPECT_EQ(home.recentScans(), nullptr);
    EXPECT_FALSE(home.sectionTitles().contains("Recent Scans"));

    state->preferences().setValue(RecentScans::preferenceKey, QByteArray("{not json"));
    home.refreshOnActivate();
    EXPECT_EQ(home.recentScans(), nullptr) << "undecodable data hides the section without a word";
}

TEST_F(HomeTest, ToolCardsOnlyForToolsThatExist) {
    makeHelper(false);
    VolumePickerView& bare = open();
    EXPECT_TRUE(bare.toolCards().empty());
    ASSERT_NE(bare.helperCard(), nullptr);

    int uninstalls = 0, startups = 0;
    uninstallApp = [&] { ++uninstalls; };
    openStartupItems = [&] { ++startups; };
    VolumePickerView& home = open();
    ASSERT_EQ(home.toolCards().size(), 2u);
    ToolCard* uninstall = home.toolCards()[0];
    ToolCard* startup = home.toolCards()[1];
    EXPECT_EQ(uninstall->content().title, "Uninstall an App");
    EXPECT_EQ(startup->content().title, "Startup Items");
    EXPECT_EQ(uninstall->shortcutText(), "Ctrl+Shift+U");
    EXPECT_EQ(startup->shortcutText(), "Ctrl+Shift+L");
    // A click anywhere on the card runs its action once; the shadow around it is not the card.
    QTest::mouseClick(uninstall, Qt::LeftButton, Qt::NoModifier, uninstall->cardRect().bottomRight().toPoint() - QPoint(4, 4));
    QTest::mouseClick(startup, Qt::LeftButton, Qt::NoModifier, startup->cardRect().topLeft().toPoint() + QPoint(30, 30));
    QTest::mouseClick(startup, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(uninstalls, 1);
    EXPECT_EQ(startups, 1);
    EXPECT_GE(uninstall->cardRect().height(), 84);
}

TEST_F(HomeTest, TheHelperSwitchShowsAndChangesTheLoginItem) {
    makeHelper(false);
    VolumePickerView& home = open();
    HelperToolCard* card = home.helperCard();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(helper->status(), LoginItemStatus::notFound) << "the helper program is not installed";
    EXPECT_FALSE(card->toggle()->isChecked());
    EXPECT_EQ(card->detailText(), HelperToolCard::ordinaryDetail);
    // The helper lives in the system tray here, not in a menu bar.
    EXPECT_EQ(card->accessibleName(), "System Tray Helper");
    EXPECT_EQ(card->toggle()->toolTip(), "Start the system tray helper when you log in");
    card->toggle()->click();
    EXPECT_FALSE(card->toggle()->isChecked()) << "registering failed: the switch shows what is";
    EXPECT_TRUE(helper->lastError().has_value());

    writeFile(helperProgram, "#!/bin/sh\n");
    ::chmod(helperProgram.c_str(), 0755);
    helper->refresh();
    card->toggle()->click();
    EXPECT_TRUE(card->toggle()->isChecked());
    EXPECT_EQ(helper->status(), LoginItemStatus::enabled);
    EXPECT_EQ(card->detailText(), HelperToolCard::ordinaryDetail);
    // Where the desktop has no tray, the card says the helper runs without an icon.
    trayAvailable = false;
    EXPECT_EQ(card->detailText(), HelperToolCard::noTrayDetail);
    EXPECT_TRUE(existsNoFollow(config.path() + "/autostart/tarnwell.Plenwick.Helper.desktop"));
    card->toggle()->click();
    EXPECT_FALSE(card->toggle()->isChecked());
    EXPECT_FALSE(existsNoFollow(config.path() + "/autostart/tarnwell.Plenwick.Helper.desktop"));
    EXPECT_EQ(card->detailText(), HelperToolCard::ordinaryDetail) << "off, there is no icon to miss";
}

TEST_F(HomeTest, VolumeChangesKeepTheIconsAndOnlyTheLastLoadApplies) {
    VolumePickerView& home = open();
    mount({disk("/srv/one", "One", 10, 5)});
    FileIconCache::shared().icon(dir.path().toStdString(), true, "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return FileIconCache::shared().contains(dir.path().toStdString()); }, 10000));
    home.volumesDidChange();
    EXPECT_TRUE(FileIconCache::shared().contains(dir.path().toStdString())) << "icons are kept: nothing clears the cache";
    volumes->mounted = {disk("/srv/two", "Two", 10, 5)};
    home.volumesDidChange();
    volumes->mounted = {disk("/srv/three", "Three", 10, 5)};
    home.volumesDidChange();
    ASSERT_EQ(userInitiated->pendingCount(), 3u);
    userInitiated->runNewest();
    deliver();
    userInitiated->runAll();
    deliver();
    ASSERT_EQ(home.volumeCards().size(), 1u);
    EXPECT_EQ(home.volumeCards()[0]->volume().name, "Three");
}

TEST_F(HomeTest, PathPresenceAsksOncePerPathAndRefreshesOnRequest) {
    const std::string folder = dir.path().toStdString();
    EXPECT_EQ(paths->exists(folder), std::nullopt);
    EXPECT_EQ(paths->exists(folder), std::nullopt);
    EXPECT_EQ(checks->pendingCount(), 1u) << "a check not yet answered is not asked twice";
    int changes = 0;
    QObject::connect(paths.get(), &PathPresence::changed, [&] { ++changes; });
    runChecks();
    EXPECT_EQ(paths->exists(folder), true);
    EXPECT_EQ(changes, 1);
    paths->refresh();
    runChecks();
    EXPECT_EQ(changes, 1) << "the same answer tells nobody";
    dir.remove();
    paths->refresh();
    EXPECT_EQ(paths->exists(folder), true) << "the cached answer until the new one arrives";
    runChecks();
    EXPECT_EQ(paths->exists(folder), false);
    EXPECT_EQ(changes, 2);
}

} // namespace
} // namespace plenwick::test
