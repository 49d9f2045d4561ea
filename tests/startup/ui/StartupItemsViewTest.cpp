#include "startup/ui/StartupItemRow.h"
#include "startup/ui/StartupItemsSection.h"
#include "startup/ui/StartupItemsView.h"
#include "startup/ui/StartupSwitch.h"
#include "startup/ui/StartupItemsTexts.h"

#include "common/ManualBackground.h"
#include "common/QtWarnings.h"
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

#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;

namespace {

class StartupItemsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        units = dir / "units";
        writeAt(units + "/sync.service", unitText("/bin/sh"));
        writeAt(units + "/off.service", unitText("/bin/sh"));
        runner.succeed(files, "sync.service enabled enabled\noff.service disabled enabled\n");
        writeAt(dir / "autostart/notes.desktop", entryText("Notes", "/nowhere/notes"));
        writeAt(dir / "xdg/autostart/tracker.desktop", entryText("Tracker", "/bin/sh"));
        folders.userAutostart = dir / "autostart";
        folders.systemAutostart = {dir / "xdg/autostart"};
        folders.userUnits = {{units, Source::userAgent}};
        StartupItemsModel::Environment environment;
        environment.scanner.runner = &runner;
        environment.executor = background.executor;
        view = std::make_unique<StartupItemsView>(std::make_unique<StartupItemsModel>(environment, folders));
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

    const std::string files = "/bin/systemctl --user list-unit-files --type=service --no-legend --no-pager --plain -- "
                              "off.service sync.service";
    TempFolder dir;
    std::string units;
    StartupItemsScanner::Folders folders;
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
    EXPECT_EQ(view->countLineText(), "4 items start on their own · 1 left behind by apps that are gone");
    EXPECT_EQ(sectionTitles(), (std::vector<QString>{"Open at Login", "Your Services", "For All Users"}));
    EXPECT_EQ(view->rows().size(), 4u);
    EXPECT_TRUE(view->placeholderTitle().isEmpty());

    // Later loads keep the list and turn the header's indicator.
    view->refreshButton()->click();
    EXPECT_TRUE(view->showsHeaderSpinner());
    EXPECT_FALSE(view->showsLoadingPage());
    EXPECT_EQ(view->rows().size(), 4u);
    background.runAll();
    EXPECT_FALSE(view->showsHeaderSpinner());
}

TEST_F(StartupItemsViewTest, RowsShowTheirStateAndOfferWhatTheyCan) {
    showLoaded();
    StartupItemRow* off = row("off.service");
    ASSERT_TRUE(off && off->enabledSwitch());
    EXPECT_FALSE(off->enabledSwitch()->isChecked());
    EXPECT_EQ(off->enabledSwitch()->toolTip(), "Turned off — it won't start");
    StartupItemRow* login = row("Notes");
    ASSERT_TRUE(login && login->enabledSwitch());
    EXPECT_TRUE(login->enabledSwitch()->isChecked());
    EXPECT_EQ(menuTexts(login->makeActionsMenu(nullptr)),
              (std::vector<QString>{"Reveal in File Manager", "---", "Remove from Autostart…"}));
    EXPECT_EQ(menuTexts(login->makeContextMenu(nullptr)),
              (std::vector<QString>{"Reveal in File Manager", "Remove from Autostart…"}));
    EXPECT_EQ(menuTexts(row("sync.service")->makeActionsMenu(nullptr)),
              (std::vector<QString>{"Reveal in File Manager", "---", "Delete…"}));
    ASSERT_TRUE(row("Tracker") && row("Tracker")->enabledSwitch()) << "every user's entry is switched for this user";
    EXPECT_TRUE(row("Tracker")->enabledSwitch()->isChecked());

    // A definition gone since the load: revealing it is off in the actions menu only.
    std::filesystem::remove(units + "/sync.service");
    EXPECT_EQ(menuTexts(row("sync.service")->makeActionsMenu(nullptr)).front(), "Reveal in File Manager (off)");
    EXPECT_EQ(menuTexts(row("sync.service")->makeContextMenu(nullptr)).front(), "Reveal in File Manager");
}

TEST_F(StartupItemsViewTest, TheSwitchesTurnItemsOffAndOnThroughTheModel) {
    showLoaded();
    const std::string enable = "/bin/systemctl --user enable --now -- off.service";
    runner.succeed(enable);
    row("off.service")->enabledSwitch()->click();
    QApplication::processEvents();
    ASSERT_EQ(view->model().busy().size(), 1u);
    StartupItemRow* busy = row("off.service");
    EXPECT_TRUE(busy->isBusy());
    EXPECT_FALSE(busy->enabledSwitch()->isEnabled());
    EXPECT_FALSE(busy->actionsButton()->isEnabled());
    background.run({0});
    EXPECT_EQ(runner.calls[runner.calls.size() - 1], enable);
    background.runAll();
    EXPECT_TRUE(view->model().busy().empty());

    // Every user's entry, off for this user and on again, on real files.
    row("Tracker")->enabledSwitch()->click();
    QApplication::processEvents();
    background.runAll();
    EXPECT_FALSE(row("Tracker")->enabledSwitch()->isChecked());
    struct stat st {};
    EXPECT_EQ(lstat((dir / "autostart/tracker.desktop").c_str(), &st), 0);
    row("Tracker")->enabledSwitch()->click();
    QApplication::processEvents();
    background.runAll();
    EXPECT_TRUE(row("Tracker")->enabledSwitch()->isChecked());
    EXPECT_NE(lstat((dir / "autostart/tracker.desktop").c_str(), &st), 0);

    // The user's own entry, in its own file.
    row("Notes")->enabledSwitch()->click();
    QApplication::processEvents();
    background.runAll();
    EXPECT_FALSE(row("Notes")->enabledSwitch()->isChecked());
    EXPECT_NE(readFile(dir / "autostart/notes.desktop").find("\nHidden=true\n"), std::string::npos);
    row("Notes")->enabledSwitch()->click();
    QApplication::processEvents();
    background.runAll();
    EXPECT_TRUE(row("Notes")->enabledSwitch()->isChecked());
    EXPECT_EQ(readFile(dir / "autostart/notes.desktop"), entryText("Notes", "/nowhere/notes"));
}

TEST_F(StartupItemsViewTest, FilterAndPlaceholders) {
    showLoaded();
    view->filterField()->setText("  SYNC ");
    EXPECT_EQ(view->search(), "  SYNC ");
    EXPECT_EQ(sectionTitles(), std::vector<QString>{"Your Services"});
    view->filterField()->setText("tracker.desktop"); // the label in the detail line
    EXPECT_EQ(sectionTitles(), std::vector<QString>{"For All Users"});
    EXPECT_TRUE(view->placeholderTitle().isEmpty());
    view->filterField()->setText("nothing like it");
    EXPECT_TRUE(view->sections().empty());
    EXPECT_EQ(view->placeholderTitle(), "No Results for “nothing like it”");

    // Nothing at all starts on its own.
    std::filesystem::remove_all(units);
    std::filesystem::remove_all(dir / "autostart");
    std::filesystem::remove_all(dir / "xdg");
    view->filterField()->clear();
    view->refreshButton()->click();
    background.runAll();
    EXPECT_EQ(view->countLineText(), "0 items start on their own");
    EXPECT_EQ(view->placeholderTitle(), "No Startup Items");
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
    background.runAll();
    struct stat st {};
    EXPECT_NE(lstat((dir / "autostart/notes.desktop").c_str(), &st), 0);
    EXPECT_FALSE(row("Notes"));
}

TEST_F(StartupItemsViewTest, FailedChangesShowAnAlertUntilDismissed) {
    showLoaded();
    view->model().setActionError(std::string("Failed to connect to bus"));
    QMessageBox* alert = view->errorAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), "Couldn’t Change Startup Item");
    EXPECT_EQ(alert->informativeText(), "Failed to connect to bus");
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
    EXPECT_LT(distance("sync.service"), 30);
    EXPECT_GT(distance("off.service"), 120);
}

TEST_F(StartupItemsViewTest, WithoutAServiceManagerEntriesListAndUnitsHaveNoSwitch) {
    runner.answers.clear(); // no systemctl on this machine
    showLoaded();
    EXPECT_EQ(view->countLineText(), "4 items start on their own · 1 left behind by apps that are gone");
    StartupItemRow* sync = row("sync.service");
    ASSERT_TRUE(sync);
    EXPECT_FALSE(sync->enabledSwitch()) << "its state is unknown";
    EXPECT_EQ(sync->item().isDisabled, std::nullopt);
    EXPECT_TRUE(row("Tracker")->enabledSwitch()) << "entries are read from their files";
    EXPECT_FALSE(view->errorAlert());
    for (const QToolButton* button : view->findChildren<QToolButton*>())
        EXPECT_FALSE(button->toolTip().contains("Settings")) << button->toolTip().toStdString();
}

TEST_F(StartupItemsViewTest, OpeningPaintsWithoutAWarning) {
    // A dimmed icon (of an item turned off) is painted with the rest, never through an
    // image of its own that can come out empty.
    QtWarnings warnings;
    showLoaded();
    ASSERT_TRUE(row("off.service"));
    view->grab();
    view->resize(760, 200);
    QApplication::processEvents();
    view->grab();
    view->hide();
    view->show();
    QApplication::processEvents();
    // Parts of a row painted alone, beside or across its icon.
    StartupItemRow* off = row("off.service");
    for (const QRect& part : {QRect(off->width() - 60, 0, 60, off->height()), QRect(0, 0, 10, 4),
                              QRect(30, 0, 20, off->height()), QRect(0, off->height() - 2, off->width(), 2)}) {
        off->grab(part);
        off->repaint(part);
    }
    EXPECT_TRUE(warnings.containing(QStringLiteral("QPainter")).isEmpty())
        << warnings.containing(QStringLiteral("QPainter")).join('\n').toStdString();
}
