#include "ViewFixture.h"

#include "home/HomeTexts.h"
#include "platform/MotionPreference.h"
#include "results/BreadcrumbBar.h"
#include "results/ResultsToolbar.h"
#include "results/ResultsView.h"
#include "results/ScanFailedView.h"
#include "results/ShellInspectorDetails.h"
#include "uninstaller/ui/UninstallerView.h"

#include "common/PlistFixtures.h"

#include <QDialog>

#include <QLabel>
#include <QPointer>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <QVariantAnimation>

namespace plenwick::test {
namespace {

using Kind = AppState::Phase::Kind;

TEST_F(ViewTest, EachPhaseShowsItsScreenAndToolbarRow) {
    EXPECT_EQ(root->currentWidget(), root->homeScreen());
    EXPECT_EQ(root->windowTitleText(), "Plenwick");
    EXPECT_FALSE(root->backToResultsButton()->isVisibleTo(root->toolbarContent()));

    const std::string path = makeTree({{"x/file.txt", 100}});
    state->startScan(path);
    ASSERT_NE(root->progressScreen(), nullptr);
    EXPECT_EQ(root->currentWidget(), root->progressScreen());

    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::results);
    ASSERT_NE(root->resultsView(), nullptr);
    EXPECT_EQ(root->currentWidget(), root->resultsView());
    EXPECT_EQ(root->progressScreen(), nullptr) << "the progress screen goes with its scan";
    EXPECT_EQ(static_cast<QStackedWidget*>(root->toolbarContent())->currentWidget(), root->resultsToolbar());
    EXPECT_EQ(root->windowTitleText(), QString::fromStdString(state->displayName(*state->root())));
    EXPECT_EQ(root->resultsToolbar()->titleLabel()->text(), root->windowTitleText());
}

TEST_F(ViewTest, AScannedVolumeIsCalledByTheNameOfItsCard) {
    const std::string path = makeTree({{"Photos/a.jpg", 100}});
    volumes->mounted = {volume(path, "Backup Drive")};
    runUserJobs();
    state->startScan(path);
    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::results);
    EXPECT_EQ(root->windowTitleText(), "Backup Drive");
    const ResultsView* results = root->resultsView();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->breadcrumbBar()->crumbButtons()[0]->text(), "Backup Drive");
    const auto* details = results->findChild<ShellInspectorDetails*>();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->nameText(), "Backup Drive");
    EXPECT_EQ(home::recentDisplayName(path, *state->volumeNames()), "Backup Drive");
    EXPECT_EQ(home::recentDisplayName(path + "/Photos", *state->volumeNames()), "Photos");

    // A name that arrives with the results on show reaches them.
    state->volumeRefresh().assignVolumes({volume(path, "Renamed")}); // its label changed meanwhile
    EXPECT_EQ(results->breadcrumbBar()->crumbButtons()[0]->text(), "Renamed");
    EXPECT_EQ(details->nameText(), "Renamed");
    EXPECT_EQ(root->windowTitleText(), "Renamed");
    EXPECT_EQ(root->resultsToolbar()->titleLabel()->text(), "Renamed");

    // A folder of the volume keeps its own name.
    state->startScan(path + "/Photos");
    runUserJobs();
    EXPECT_EQ(root->windowTitleText(), "Photos");
}

TEST_F(ViewTest, FailedScanShowsTheScannersMessageAndItsWaysOn) {
    const std::string missing = makeTree({}) + "/gone";
    state->startScan(missing);
    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::failed);
    ScanFailedView* failed = root->failureScreen();
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(root->currentWidget(), failed);
    EXPECT_EQ(failed->message(), QString::fromStdString(state->phase().message()));
    EXPECT_TRUE(failed->message().contains("gone"));
    // Its ways on are going back and trying again; there is no privacy page to send anyone to.
    QStringList buttons;
    for (const QPushButton* button : failed->findChildren<QPushButton*>()) buttons << button->text();
    EXPECT_EQ(buttons, (QStringList{"Back to Disks", "Try Again"}));
    EXPECT_TRUE(failed->tryAgainButton()->isEnabled());

    // Return is the default action: the same target is scanned again.
    QTest::keyClick(failed, Qt::Key_Return);
    EXPECT_EQ(state->phase().kind(), Kind::scanning);
    runUserJobs();
    ASSERT_NE(root->failureScreen(), nullptr);
    root->failureScreen()->backButton()->click();
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_EQ(root->currentWidget(), root->homeScreen());
    EXPECT_EQ(root->failureScreen(), nullptr);
}

TEST_F(ViewTest, TryAgainIsDisabledWithoutATargetAndEachFailureHasItsScreen) {
    state->setPhase(AppState::Phase::failed("Something broke."));
    ASSERT_NE(root->failureScreen(), nullptr);
    EXPECT_FALSE(root->failureScreen()->tryAgainButton()->isEnabled());
    EXPECT_EQ(root->failureScreen()->message(), "Something broke.");

    // A second failure with another message gets its own screen.
    state->setPhase(AppState::Phase::failed("Another."));
    EXPECT_EQ(root->failureScreen()->message(), "Another.");
}

TEST_F(ViewTest, CancelReturnsHomeWithoutStaleProgress) {
    const std::string path = makeTree({{"f.txt", 10}});
    state->startScan(path);
    QWidget* progress = root->progressScreen();
    ASSERT_NE(progress, nullptr);
    auto* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_EQ(root->currentWidget(), root->homeScreen());
    EXPECT_EQ(root->progressScreen(), nullptr);
    // The cancelled scan's result arrives late and changes nothing.
    runUserJobs();
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_EQ(root->resultsView(), nullptr);
}

TEST_F(ViewTest, ASecondScanReplacesTheFirstOnScreen) {
    const std::string first = makeTree({{"one/a.txt", 10}});
    QTemporaryDir other;
    std::ofstream(other.path().toStdString() + "/b.txt") << "bb";
    state->startScan(first);
    QWidget* progress = root->progressScreen();
    state->startScan(other.path().toStdString());
    EXPECT_EQ(root->progressScreen(), progress) << "the screen stays on the progress of the new scan";
    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::results);
    EXPECT_EQ(state->root()->url(), AppState::normalizedPath(other.path().toStdString()));
    EXPECT_EQ(root->currentWidget(), root->resultsView());
}

TEST_F(ViewTest, DisksAndBackKeepTheResultsScreenANewTreeReplacesIt) {
    scanToResults();
    QPointer<ResultsView> first = root->resultsView();
    ASSERT_NE(first, nullptr);
    root->resultsToolbar()->disksButton()->click();
    EXPECT_EQ(state->phase().kind(), Kind::home);
    QToolButton* back = root->backToResultsButton();
    EXPECT_EQ(static_cast<QStackedWidget*>(root->toolbarContent())->currentWidget(), back->parentWidget());
    EXPECT_EQ(back->text(), QString("Back to “%1”").arg(QString::fromStdString(state->displayName(*state->root()))));
    back->click();
    EXPECT_EQ(state->phase().kind(), Kind::results);
    EXPECT_EQ(root->resultsView(), first) << "going to the disks and back keeps the screen";

    state->rescanAll();
    runUserJobs();
    EXPECT_TRUE(first.isNull()) << "a new tree gets a new results screen";
    ASSERT_NE(root->resultsView(), nullptr);
    EXPECT_EQ(root->resultsView()->builtFor(), state->root().get());
}

TEST_F(ViewTest, ScreensDissolveIntoEachOtherUnlessMotionIsReduced) {
    scanToResults();
    QVariantAnimation* fade = root->screenSwitch();
    ASSERT_NE(fade, nullptr) << "the progress screen fades out over the results";
    EXPECT_EQ(fade->duration(), RootView::kScreenSwitchMs);
    EXPECT_EQ(fade->easingCurve().type(), QEasingCurve::OutCubic);
    ASSERT_TRUE(QTest::qWaitFor([&] { return root->screenSwitch() == nullptr; }, 5000)) << "and goes when it is done";

    // A change that keeps the screen (the tree edited in place) fades nothing.
    state->select(state->root()->children().front());
    state->setShowInspector(false);
    EXPECT_EQ(root->screenSwitch(), nullptr);

    MotionPreference::shared().setOverride(true);
    root->resultsToolbar()->disksButton()->click();
    EXPECT_EQ(root->currentWidget(), root->homeScreen());
    EXPECT_EQ(root->screenSwitch(), nullptr) << "reduced motion switches at once";
    MotionPreference::shared().setOverride(std::nullopt);
}

TEST_F(ViewTest, HomeWithoutATreeHasNoWayBack) {
    const std::string path = makeTree({{"f.txt", 10}});
    state->startScan(path);
    state->cancelScan();
    EXPECT_EQ(static_cast<QStackedWidget*>(root->toolbarContent())->currentIndex(), 0);
}

TEST_F(ViewTest, ErrorAlertShowsOverAnyScreenAndClearsBothFieldsWhenDismissed) {
    state->setLastError(std::nullopt, std::string("Title only"));
    EXPECT_EQ(root->errorAlert(), nullptr) << "a title without a message shows nothing";

    const std::string path = makeTree({{"f.txt", 10}});
    state->startScan(path);
    state->setLastError(std::string("disk.img: Operation not permitted"));
    QMessageBox* alert = root->errorAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->text(), "Couldn’t Move to Trash");
    EXPECT_EQ(alert->informativeText(), "disk.img: Operation not permitted");
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().front()->text(), "OK");
    QPointer<QMessageBox> dismissed = alert;
    alert->buttons().front()->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dismissed.isNull());
    EXPECT_FALSE(state->lastError());
    EXPECT_FALSE(state->lastErrorTitle());
    EXPECT_EQ(root->errorAlert(), nullptr);

    state->setLastError(std::string("It broke."), std::string("Couldn’t Rescan Folder"));
    ASSERT_NE(root->errorAlert(), nullptr);
    EXPECT_EQ(root->errorAlert()->text(), "Couldn’t Rescan Folder");
    // Escape dismisses it the same way.
    QTest::keyClick(root->errorAlert(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(state->lastError());
    EXPECT_FALSE(state->lastErrorTitle());
}

TEST_F(ViewTest, UninstallSheetFollowsTheStatesSession) {
    const std::string apps = makeTree({});
    makeBundle(apps + "/First.app", {{"CFBundleIdentifier", "com.example.first"}});
    makeBundle(apps + "/Second.app", {{"CFBundleIdentifier", "com.example.second"}});
    EXPECT_EQ(root->uninstallSheet(), nullptr);

    state->uninstallApp(apps + "/First.app");
    EXPECT_EQ(root->uninstallSheet(), nullptr); // the app is read first
    userInitiated->runNewest();
    const std::size_t jobs = userInitiated->pendingCount();
    deliver();
    QPointer<QDialog> first = root->uninstallSheet();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowModality(), Qt::WindowModal);
    auto* view = first->findChild<UninstallerView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(&view->session(), state->uninstallSession().get());
    EXPECT_EQ(first->width(), 560);
    EXPECT_GT(userInitiated->pendingCount(), jobs); // the view started the search on appearing

    // A later session replaces the sheet.
    state->uninstallApp(apps + "/Second.app");
    runUserJobs();
    QDialog* second = root->uninstallSheet();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first.data());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());

    // Its own closing button closes it, through the state.
    QTest::keyClick(second->findChild<UninstallerView*>(), Qt::Key_Escape);
    EXPECT_FALSE(state->uninstallSession());
    EXPECT_EQ(root->uninstallSheet(), nullptr);

    // Dismissing the sheet otherwise clears the state's session too.
    state->uninstallApp(apps + "/First.app");
    runUserJobs();
    root->uninstallSheet()->reject();
    EXPECT_FALSE(state->uninstallSession());
    runUserJobs(); // the searches of sheets gone deliver nowhere
}

} // namespace
} // namespace plenwick::test
