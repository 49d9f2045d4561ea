#include "startup/ui/StartupItemRow.h"
#include "startup/ui/StartupItemsSection.h"
#include "startup/ui/StartupItemsView.h"
#include "startup/ui/StartupSwitch.h"
#include "startup/ui/StartupItemsTexts.h"
#include "startup/LoginItemsScript.h"

#include "common/ManualBackground.h"
#include "startup/ScriptedRunner.h"
#include "startup/StartupTestSupport.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <unistd.h>

using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;

namespace {

class StartupItemsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        agents = dir / "LaunchAgents";
        writePlist(agents + "/com.sync.plist", plistKey("Label", "com.sync") + plistKey("Program", "/bin/sh"));
        writePlist(agents + "/com.off.plist", plistKey("Label", "com.off") + "<key>Disabled</key><true/>");
        writePlist(dir / "Apps/Viewer.app/Contents/Library/LaunchAgents/com.viewer.helper.plist",
                   plistKey("Label", "com.viewer.helper"));
        runner.succeed(osascript + LoginItemsScript::listScript(), "Notes\t" + (dir / "Notes.app") + "\tfalse\n");
        StartupItemsScanner::Folders folders;
        folders.launchFolders = {{agents, Source::userAgent}};
        folders.applicationFolders = {dir / "Apps"};
        StartupItemsModel::Environment environment;
        environment.scanner.runner = &runner;
        environment.executor = background.executor;
        view = std::make_unique<StartupItemsView>(std::make_unique<StartupItemsModel>(environment, folders), false);
        view->resize(760, 620);
    }
    void TearDown() override {
        view.reset();
        QApplication::processEvents();
    }
    // Shows the view and lets its first load finish.
    void showLoaded() {
        view->show();
        QApplication::processEvents();
        background.runAll();
        QApplication::processEvents();
    }
    std::vector<QString> sectionTitles() const {
        std::vector<QString> titles;
        for (auto* section : view->sections()) titles.push_back(section->title());
        return titles;
    }
    StartupItemRow* row(const std::string& name) const {
        for (StartupItemRow* r : view->rows())
            if (r->item().name == name) return r;
        return nullptr;
    }
    std::vector<QString> menuTexts(QMenu* menu) const {
        std::vector<QString> texts;
        for (QAction* action : menu->actions())
            texts.push_back(action->isSeparator() ? QStringLiteral("---")
                                                  : action->text() + (action->isEnabled() ? "" : " (off)"));
        delete menu;
        return texts;
    }

    const std::string osascript = "/usr/bin/osascript -e ";
    TempFolder dir;
    std::string agents;
    ScriptedRunner runner;
    ManualBackground background;
    std::unique_ptr<StartupItemsView> view;
};

} // namespace

TEST_F(StartupItemsViewTest, LoadsWhenFirstShownThenListsBySection) {
    EXPECT_TRUE(view->showsLoadingPage());
    EXPECT_EQ(view->countLineText(), "Apps and background jobs that start on their own.");
    view->show();
    QApplication::processEvents();
    EXPECT_EQ(view->model().refreshGeneration(), 1);
    EXPECT_FALSE(view->refreshButton()->isEnabled());
    EXPECT_FALSE(view->showsHeaderSpinner()); // not before the first load
    background.runAll();

    EXPECT_FALSE(view->showsLoadingPage());
    EXPECT_TRUE(view->refreshButton()->isEnabled());
    EXPECT_EQ(view->countLineText(), "3 items start on their own · 1 left behind by apps that are gone");
    EXPECT_EQ(sectionTitles(), (std::vector<QString>{"Open at Login", "Launch Agents — Your Account",
                                                     "Bundled with Apps (1)"}));
    EXPECT_EQ(view->rows().size(), 3u); // the helper's row hidden
    EXPECT_TRUE(view->placeholderTitle().isEmpty());

    // Later loads keep the list and turn the header's indicator.
    view->refreshButton()->click();
    EXPECT_TRUE(view->showsHeaderSpinner());
    EXPECT_FALSE(view->showsLoadingPage());
    EXPECT_EQ(view->rows().size(), 3u);
    background.runAll();
    EXPECT_FALSE(view->showsHeaderSpinner());
}

TEST_F(StartupItemsViewTest, RowsShowTheirStateAndOfferWhatTheyCan) {
    showLoaded();
    StartupItemRow* off = row("com.off");
    ASSERT_TRUE(off && off->enabledSwitch());
    EXPECT_FALSE(off->enabledSwitch()->isChecked());
    EXPECT_EQ(off->enabledSwitch()->toolTip(), "Turned off — it won't start");
    StartupItemRow* login = row("Notes");
    ASSERT_TRUE(login);
    EXPECT_FALSE(login->enabledSwitch());
    // The app is gone: revealing it is off in the actions menu, not in the context menu.
    EXPECT_EQ(menuTexts(login->makeActionsMenu(nullptr)),
              (std::vector<QString>{"Reveal in File Manager (off)", "---", "Remove from Login Items…"}));
    EXPECT_EQ(menuTexts(login->makeContextMenu(nullptr)),
              (std::vector<QString>{"Reveal in File Manager", "Remove from Login Items…"}));
    EXPECT_EQ(menuTexts(row("com.sync")->makeActionsMenu(nullptr)),
              (std::vector<QString>{"Reveal in File Manager", "---", "Move to Trash…"}));

    // Helpers inside apps: shown on demand, without switch or removal.
    auto* bundled = view->sections().back();
    ASSERT_TRUE(bundled->bundledButton());
    EXPECT_EQ(bundled->bundledButton()->text(), "Show");
    bundled->bundledButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(view->showBundled());
    EXPECT_EQ(view->sections().back()->bundledButton()->text(), "Hide");
    StartupItemRow* helper = row("Viewer");
    ASSERT_TRUE(helper);
    EXPECT_FALSE(helper->enabledSwitch());
    EXPECT_EQ(menuTexts(helper->makeContextMenu(nullptr)), std::vector<QString>{"Reveal in File Manager"});
}

TEST_F(StartupItemsViewTest, TheSwitchTurnsTheJobOnThroughTheModel) {
    showLoaded();
    const std::string target = userLaunchDomain() + "/com.off";
    runner.succeed("/bin/launchctl enable " + target);
    row("com.off")->enabledSwitch()->click();
    QApplication::processEvents();
    ASSERT_EQ(view->model().busy().size(), 1u);
    StartupItemRow* busy = row("com.off");
    EXPECT_TRUE(busy->isBusy());
    EXPECT_FALSE(busy->enabledSwitch()->isEnabled());
    EXPECT_FALSE(busy->actionsButton()->isEnabled());
    background.run({0});
    EXPECT_EQ(runner.calls[runner.calls.size() - 2], "/bin/launchctl enable " + target);
    background.runAll();
    EXPECT_TRUE(view->model().busy().empty());
}

TEST_F(StartupItemsViewTest, FilterAndPlaceholders) {
    showLoaded();
    view->filterField()->setText("  SYNC ");
    EXPECT_EQ(view->search(), "  SYNC ");
    EXPECT_EQ(sectionTitles(), std::vector<QString>{"Launch Agents — Your Account"});
    view->filterField()->setText("viewer.helper");
    EXPECT_EQ(sectionTitles(), std::vector<QString>{"Bundled with Apps (1)"}); // hidden rows still counted
    EXPECT_TRUE(view->placeholderTitle().isEmpty());
    view->filterField()->setText("nothing like it");
    EXPECT_TRUE(view->sections().empty());
    EXPECT_EQ(view->placeholderTitle(), "No Results for “nothing like it”");

    // Nothing at all starts on its own.
    std::filesystem::remove_all(agents);
    std::filesystem::remove_all(dir / "Apps");
    runner.succeed(osascript + LoginItemsScript::listScript(), "");
    view->filterField()->clear();
    view->refreshButton()->click();
    background.runAll();
    EXPECT_EQ(view->countLineText(), "0 items start on their own");
    EXPECT_EQ(view->placeholderTitle(), "No Startup Items");

    // Login items that can't be read: their row, and no "No Startup Items". (A tool
    // that is not installed at all is the case of a system without the launch system.)
    runner.answer(osascript + LoginItemsScript::listScript(), {1, {}, "Not authorised to send Apple events"});
    view->refreshButton()->click();
    background.runAll();
    EXPECT_EQ(sectionTitles(), std::vector<QString>{"Open at Login"});
    EXPECT_TRUE(view->placeholderTitle().isEmpty());
}

TEST_F(StartupItemsViewTest, ActivationLooksAgainOnlyWhenIdleAndLoaded) {
    const auto activate = [] { emit qGuiApp->applicationStateChanged(Qt::ApplicationActive); };
    activate();
    EXPECT_EQ(view->model().refreshGeneration(), 0); // before the first load
    showLoaded();
    EXPECT_EQ(view->model().refreshGeneration(), 1);
    activate();
    EXPECT_EQ(view->model().refreshGeneration(), 2);
    activate(); // while that load runs
    EXPECT_EQ(view->model().refreshGeneration(), 2);
    background.runAll();
}

TEST_F(StartupItemsViewTest, RemovalAsksFirst) {
    showLoaded();
    const StartupItem notes = row("Notes")->item();
    view->requestRemoval(notes);
    QMessageBox* box = view->confirmation();
    ASSERT_TRUE(box);
    EXPECT_EQ(view->pendingRemoval(), notes);
    EXPECT_EQ(box->text(), "Stop “Notes” opening at login?");
    EXPECT_EQ(box->informativeText(), "It won't open when you log in any more. The app itself isn't touched.");
    QAbstractButton* remove = nullptr;
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QMessageBox::DestructiveRole) remove = button;
    ASSERT_TRUE(remove);
    EXPECT_EQ(remove->text(), "Remove");

    // Cancel changes nothing.
    box->button(QMessageBox::Cancel)->click();
    QApplication::processEvents();
    EXPECT_FALSE(view->pendingRemoval());
    EXPECT_FALSE(view->confirmation());
    EXPECT_TRUE(view->model().busy().empty());

    view->requestRemoval(notes);
    for (QAbstractButton* button : view->confirmation()->buttons())
        if (view->confirmation()->buttonRole(button) == QMessageBox::DestructiveRole) button->click();
    QApplication::processEvents();
    EXPECT_FALSE(view->pendingRemoval());
    EXPECT_EQ(view->model().busy(), std::set<std::string>{notes.id()});
    background.run({0});
    EXPECT_EQ(runner.calls.back(), osascript + LoginItemsScript::deleteScript("Notes"));
    background.runAll();
}

TEST_F(StartupItemsViewTest, FailedChangesShowAnAlertUntilDismissed) {
    showLoaded();
    view->model().setActionError(std::string("com.sync.plist: Operation not permitted"));
    QMessageBox* alert = view->errorAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), "Couldn’t Change Startup Item");
    EXPECT_EQ(alert->informativeText(), "com.sync.plist: Operation not permitted");
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().front()->text(), "OK");
    alert->buttons().front()->click();
    QApplication::processEvents();
    EXPECT_FALSE(view->model().actionError());
    EXPECT_FALSE(view->errorAlert());
}

TEST_F(StartupItemsViewTest, SwitchesArePaintedInTheAccentOnlyWhenOn) {
    showLoaded();
    const QColor accent = view->palette().color(QPalette::Highlight);
    const auto distance = [&](const std::string& name) {
        StartupItemRow* r = row(name);
        const QImage image = r->grab().toImage();
        // Left of the knob when on, right of it when off: the track itself.
        const QRect track = r->enabledSwitch()->geometry();
        const QPoint at = r->enabledSwitch()->isChecked() ? QPoint(track.left() + 5, track.center().y())
                                                          : QPoint(track.right() - 5, track.center().y());
        const QColor pixel = image.pixelColor(at * image.devicePixelRatio());
        return std::abs(pixel.red() - accent.red()) + std::abs(pixel.green() - accent.green()) +
               std::abs(pixel.blue() - accent.blue());
    };
    EXPECT_LT(distance("com.sync"), 30);
    EXPECT_GT(distance("com.off"), 120);
}

TEST_F(StartupItemsViewTest, WithoutTheLaunchSystemItSaysSoAndOffersNoOtherSystemsSettings) {
    if (::access(LoginItemsScript::toolPath, X_OK) == 0) GTEST_SKIP() << "this machine has the login items' tool";
    // The runner has no answer for the login items: the tool fails to start, as here.
    runner.answers.clear();
    showLoaded();
    EXPECT_FALSE(view->settingsButton()->isVisibleTo(view.get())) << "no Login Items settings page on this system";
    const QLabel* message = nullptr;
    for (const QLabel* label : view->findChildren<QLabel*>())
        if (label->isVisibleTo(view.get()) && label->text() == StartupItemsTexts::noLaunchSystem) message = label;
    ASSERT_TRUE(message) << "the sentence in place of the start error";
    const QWidget* unavailable = message->parentWidget();
    for (const QLabel* label : unavailable->findChildren<QLabel*>())
        EXPECT_FALSE(label->text().contains("No such file")) << label->text().toStdString();
    for (const QPushButton* button : unavailable->findChildren<QPushButton*>())
        EXPECT_FALSE(button->isVisibleTo(unavailable)) << button->text().toStdString();
    EXPECT_EQ(view->countLineText(), "2 items start on their own") << "the agents read from their folder";

    // Nothing else to list either: the count line says why alone, never "0 items".
    std::filesystem::remove_all(agents);
    std::filesystem::remove_all(dir / "Apps");
    view->refreshButton()->click();
    background.runAll();
    QApplication::processEvents();
    EXPECT_EQ(view->countLineText(), StartupItemsTexts::noLaunchSystem);
    EXPECT_TRUE(view->sections().empty()) << "the sentence is not repeated below";
    EXPECT_TRUE(view->placeholderTitle().isEmpty());
}
