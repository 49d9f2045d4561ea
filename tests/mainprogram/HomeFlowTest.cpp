// The whole program driven from its home screen with real input: a click on a disk's
// card scans it, the page remembers the scan, offers the way back to the results and
// scans a remembered folder again; a folder dropped on the window is scanned; the tool
// cards run the menu commands.
#include "app/StateFixture.h"

#include "app/RecentScans.h"
#include "home/HomeBanners.h"
#include "home/HomeControls.h"
#include "home/RecentScansList.h"
#include "home/ToolCards.h"
#include "home/VolumeCard.h"
#include "home/VolumePickerView.h"
#include "mainprogram/AppCommands.h"
#include "mainprogram/MainWindow.h"
#include "mainprogram/PlenwickApp.h"
#include "mainprogram/StartupItemsWindow.h"
#include "results/ResultsView.h"
#include "results/RootView.h"

#include <QApplication>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <filesystem>
#include <fstream>

namespace plenwick::test {
namespace {

using Kind = AppState::Phase::Kind;

// Real pools, one disk mounted at `mountPoint`, preferences in memory.
std::function<AppEnvironment()> environmentWithDisk(const std::string& mountPoint) {
    return [mountPoint] {
        AppEnvironment env;
        env.userInitiated = std::make_shared<ThreadPoolExecutor>(2);
        env.utility = std::make_shared<ThreadPoolExecutor>(1);
        auto volumes = std::make_shared<FixedVolumes>();
        VolumeInfo disk;
        disk.url = mountPoint;
        disk.name = "Fixture Disk";
        disk.totalCapacity = 1'000'000'000;
        disk.availableCapacity = 250'000'000;
        disk.isInternal = true;
        disk.fileSystem = "ext4";
        volumes->mounted = {disk};
        env.volumeSource = volumes;
        env.preferences = std::make_shared<MemoryPreferences>();
        return env;
    };
}

std::string makeTree(const QTemporaryDir& dir) {
    const std::string base = dir.path().toStdString();
    std::filesystem::create_directory(base + "/docs");
    std::ofstream(base + "/docs/a.txt") << std::string(5000, 'a');
    std::ofstream(base + "/b.bin") << std::string(20000, 'b');
    return AppState::normalizedPath(base);
}

// QTest's waiting macros return silently on failure outside a QTest test: wait and assert instead.
bool waitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); }

VolumePickerView* homePage(PlenwickApp& program) {
    return qobject_cast<VolumePickerView*>(program.mainWindow().rootView()->homeScreen());
}

// Clicks `widget` after scrolling the page so that it is on show.
void clickOnPage(VolumePickerView* page, QWidget* widget) {
    page->scrollArea()->ensureWidgetVisible(widget);
    QApplication::processEvents();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

TEST(HomeFlow, ADiskScannedFromItsCardIsRememberedAndOfferedAgain) {
    QTemporaryDir dir;
    const std::string tree = makeTree(dir);
    PlenwickApp program(environmentWithDisk(tree));
    program.showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.mainWindow()));
    AppState& state = program.appState();
    RootView* root = program.mainWindow().rootView();

    VolumePickerView* page = homePage(program);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitFor([&] { return page->volumeCards().size() == std::size_t(1); }));
    EXPECT_EQ(page->recentScans(), nullptr) << "nothing scanned yet";
    clickOnPage(page, page->volumeCards()[0]->scanButton());
    EXPECT_EQ(state.phase().kind(), Kind::scanning);
    ASSERT_TRUE(waitFor([&] { return state.phase().kind() == Kind::results; }));
    EXPECT_EQ(state.root()->url(), tree);
    EXPECT_EQ(root->currentWidget(), static_cast<QWidget*>(root->resultsView()));

    // The scan is remembered with its size once the progress screen has gone.
    std::vector<RecentScan> recents;
    ASSERT_TRUE(waitFor([&] { return (recents = RecentScans::load(state.preferences())).size() == 1 && recents[0].size.has_value(); }));
    EXPECT_EQ(recents[0].path, tree);
    EXPECT_EQ(*recents[0].size, state.root()->size());

    // Home again: the way back to the kept results, and the disk among the recent
    // scans, called as its card calls it.
    state.goHome();
    page = homePage(program);
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->returnBanner(), nullptr);
    ASSERT_NE(page->recentScans(), nullptr);
    RecentScanRow* row = page->recentScans()->row(tree);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->nameText(), "Fixture Disk");
    EXPECT_EQ(page->returnBanner()->titleText(), "Back to results of Fixture Disk");

    clickOnPage(page, page->returnBanner()->returnButton());
    EXPECT_EQ(state.phase().kind(), Kind::results);
    EXPECT_EQ(root->currentWidget(), static_cast<QWidget*>(root->resultsView()));

    // A double click on the remembered folder scans it again.
    state.goHome();
    page = homePage(program);
    row = page->recentScans()->row(tree);
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(waitFor([&] { return row->isAvailable(); }));
    page->scrollArea()->ensureWidgetVisible(row);
    QApplication::processEvents();
    QTest::mouseDClick(row, Qt::LeftButton, Qt::NoModifier, QPoint(row->width() / 3, row->height() / 2));
    // QTest's double click leaves the button held; later moves would be drags.
    QTest::mouseRelease(&program.mainWindow(), Qt::LeftButton);
    EXPECT_EQ(state.phase().kind(), Kind::scanning);
    ASSERT_TRUE(waitFor([&] { return state.phase().kind() == Kind::results; }));
    EXPECT_EQ(RecentScans::load(state.preferences()).size(), 1u) << "one entry per folder";

    // The remove button shows while the pointer is over the row and takes the entry away.
    state.goHome();
    page = homePage(program);
    row = page->recentScans()->row(tree);
    page->scrollArea()->ensureWidgetVisible(row);
    QApplication::processEvents();
    EXPECT_EQ(row->removeButton()->opacity(), 0);
    QTest::mouseMove(row, QPoint(row->width() / 3, row->height() / 2));
    ASSERT_TRUE(waitFor([&] { return row->removeButton()->opacity() == 1.0; }));
    QTest::mouseMove(page, row->mapTo(page, QPoint(row->width() / 3, -30))); // the heading above
    ASSERT_TRUE(waitFor([&] { return row->removeButton()->opacity() == 0.0; }));
    QTest::mouseMove(row, QPoint(row->width() / 3, row->height() / 2));
    ASSERT_TRUE(waitFor([&] { return row->removeButton()->opacity() == 1.0; }));
    QTest::mouseClick(row->removeButton(), Qt::LeftButton);
    EXPECT_TRUE(RecentScans::load(state.preferences()).empty());
    ASSERT_TRUE(waitFor([&] { return homePage(program)->recentScans() == nullptr; }));
}

// Sends a drag of `urls` over the page and drops it; whether the drop was taken.
bool dropOnPage(VolumePickerView* page, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = page->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &enter);
    if (!enter.isAccepted()) return false;
    EXPECT_TRUE(page->dropOverlay()->isVisible()) << "the overlay shows while the drag hovers";
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &drop);
    EXPECT_FALSE(page->dropOverlay()->isVisible());
    return drop.isAccepted();
}

TEST(HomeFlow, AFolderDroppedOnTheWindowIsScanned) {
    QTemporaryDir dir;
    const std::string tree = makeTree(dir);
    PlenwickApp program(environmentWithDisk("/"));
    program.showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.mainWindow()));
    AppState& state = program.appState();
    VolumePickerView* page = homePage(program);
    ASSERT_NE(page, nullptr);

    // A web link naming a local-looking path and a plain file start nothing.
    EXPECT_FALSE(dropOnPage(page, {QUrl(QStringLiteral("https://example.com") + QString::fromStdString(tree))}));
    EXPECT_FALSE(dropOnPage(page, {QUrl::fromLocalFile(QString::fromStdString(tree + "/b.bin"))}));
    EXPECT_EQ(state.phase().kind(), Kind::home);

    EXPECT_TRUE(dropOnPage(page, {QUrl::fromLocalFile(QString::fromStdString(tree + "/b.bin")),
                                  QUrl::fromLocalFile(QString::fromStdString(tree + "/docs"))}));
    ASSERT_TRUE(waitFor([&] { return state.phase().kind() == Kind::results; }));
    EXPECT_EQ(state.root()->url(), tree + "/docs") << "the first folder among the dropped items";
}

TEST(HomeFlow, TheToolCardsRunTheMenuCommands) {
    PlenwickApp program(environmentWithDisk("/"));
    MainWindow& window = program.mainWindow();
    int chosen = 0;
    window.commands()->setAppChooser([&](QWidget*) {
        ++chosen;
        return std::optional<std::string>(); // cancelled
    });
    VolumePickerView* page = homePage(program);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->toolCards().size(), 2u);
    EXPECT_EQ(page->toolCards()[0]->content().title, "Uninstall an App");
    page->toolCards()[0]->click();
    EXPECT_EQ(chosen, 1) << "the app is chosen as the menu command does";
    EXPECT_EQ(program.appState().uninstallSession(), nullptr) << "cancelling the choice does nothing";

    EXPECT_EQ(page->toolCards()[1]->content().title, "Startup Items");
    page->toolCards()[1]->click();
    ASSERT_NE(program.startupItemsWindow(), nullptr);
    program.startupItemsWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace plenwick::test

namespace plenwick::test {
namespace {

TEST(HomeFlow, ARecentScanShowsTheSizeItsResultsHaveAfterAnEditInPlace) {
    QTemporaryDir dir;
    const std::string tree = makeTree(dir);
    PlenwickApp program(environmentWithDisk(tree));
    program.showMainWindow();
    AppState& state = program.appState();
    state.startScan(tree);
    ASSERT_TRUE(waitFor([&] { return state.phase().kind() == Kind::results; }));
    ASSERT_TRUE(waitFor([&] {
        const std::vector<RecentScan> recents = RecentScans::load(state.preferences());
        return recents.size() == 1 && recents[0].size == state.root()->size();
    }));
    const double date = RecentScans::load(state.preferences())[0].date;

    // A folder rescanned after a file left it.
    std::filesystem::remove(dir.path().toStdString() + "/docs/a.txt");
    const std::int64_t before = state.root()->size();
    state.rescanFolder(state.nodeForURL(tree + "/docs"));
    ASSERT_TRUE(waitFor([&] { return state.root()->size() < before; }));
    state.goHome();
    const std::vector<RecentScan> recents = RecentScans::load(state.preferences());
    ASSERT_EQ(recents.size(), 1u);
    EXPECT_EQ(recents[0].size, state.root()->size());
    EXPECT_EQ(recents[0].date, date) << "no new scan";
    RecentScanRow* row = homePage(program)->recentScans()->row(tree);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->scan().size, state.root()->size());
}

} // namespace
} // namespace plenwick::test
