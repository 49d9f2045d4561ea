#include "app/StateFixture.h"

#include "mainprogram/AppCommands.h"
#include "mainprogram/CommandRules.h"
#include "mainprogram/MainWindow.h"
#include "results/ResultsView.h"
#include "results/RootView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>

namespace plenwick::test {
namespace {

using Kind = AppState::Phase::Kind;

class CommandsTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        window = std::make_unique<MainWindow>(*state);
        window->show();
        QApplication::setActiveWindow(window.get());
        commands = window->commands();
    }
    void TearDown() override {
        window.reset();
        StateTest::TearDown();
    }
    void scanToResults() {
        path = makeTree({{"a/one.txt", 3000}, {"a/b/two.txt", 2000}, {"c/three.dat", 1000}});
        state->startScan(path);
        runUserJobs();
        runUtilityJobs();
        ASSERT_EQ(state->phase().kind(), Kind::results);
    }
    NodeRef node(std::initializer_list<const char*> names) const {
        NodeRef n = state->root();
        for (const char* name : names) n = child(n, name);
        return n;
    }
    void press(const char* keys) {
        QTest::keySequence(window.get(), QKeySequence(QString::fromLatin1(keys), QKeySequence::PortableText));
    }

    std::string path;
    std::unique_ptr<MainWindow> window;
    AppCommands* commands = nullptr;
};

TEST_F(CommandsTest, MenusHoldTheirItemsInOrderWithShortcuts) {
    auto titles = [](QMenu* menu) {
        QStringList list;
        for (QAction* a : menu->actions()) list << (a->isSeparator() ? (a->text().isEmpty() ? "-" : "[" + a->text() + "]") : a->text());
        return list;
    };
    EXPECT_EQ(titles(commands->fileMenu()),
              QStringList({"Scan Folder…", "Rescan", "Rescan This Folder", "-", "Show Disks", "Back to Results", "-",
                           "Uninstall App…", "Startup Items", "-", "Settings…", "Quit"}));
    EXPECT_EQ(titles(commands->goMenu()), QStringList({"Enclosing Folder", "Back", "Forward", "Zoom Into Selection", "-",
                                                       "Preview", "Reveal in File Manager", "Add to Collector",
                                                       "Move to Trash…"}));
    EXPECT_EQ(titles(commands->viewMenu()),
              QStringList({"Hide Sidebar", "Hide Inspector", "[Visualization]", "Sunburst", "Treemap", "-", "[Colors]",
                           "By Folder", "By Kind", "By Extension", "-"}));
    EXPECT_EQ(commands->scanFolder()->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(commands->showDisks()->shortcut(), QKeySequence("Ctrl+Shift+D"));
    EXPECT_EQ(commands->reveal()->shortcut(), QKeySequence("Ctrl+Alt+R"));
    EXPECT_TRUE(commands->backToResults()->shortcut().isEmpty());
    EXPECT_EQ(commands->uninstallApp()->shortcut(), QKeySequence("Ctrl+Shift+U"));
    EXPECT_EQ(commands->rescanFolder()->shortcut(), QKeySequence("Ctrl+Shift+R"));
    EXPECT_EQ(commands->addToCollector()->shortcut(), QKeySequence("Ctrl+Backspace"));
    EXPECT_EQ(commands->moveToTrash()->shortcut(), QKeySequence("Ctrl+Shift+Backspace"));
}

TEST_F(CommandsTest, UninstallAppAsksForAnAppAndHandsItToTheState) {
    EXPECT_TRUE(commands->uninstallApp()->isEnabled());
    std::optional<std::string> answer;
    int asked = 0;
    commands->setAppChooser([&](QWidget* parent) {
        ++asked;
        EXPECT_EQ(parent, window.get());
        return answer;
    });
    press("Ctrl+Shift+U"); // cancelled: nothing
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(state->lastError());
    EXPECT_FALSE(state->uninstallSession());

    answer = makeTree({{"Notes/readme.txt", 1}}) + "/Notes";
    commands->uninstallApp()->trigger();
    runUserJobs(); // the app is read in the background
    EXPECT_EQ(state->lastError(), "“Notes” isn’t an app Plenwick can read.");
    EXPECT_EQ(state->lastErrorTitle(), "Can’t Uninstall");
}

TEST_F(CommandsTest, AtLaunchOnlyTheAlwaysCommandsAreEnabled) {
    const CommandStates s = commandStates(*state);
    EXPECT_TRUE(s.scanFolder);
    EXPECT_FALSE(s.rescan);
    EXPECT_FALSE(s.showDisks);
    EXPECT_FALSE(s.backToResults);
    EXPECT_FALSE(s.enclosingFolder || s.back || s.forward || s.zoomIntoSelection || s.quickLook || s.reveal);
    EXPECT_FALSE(s.toggleInspector);
    EXPECT_TRUE(commands->scanFolder()->isEnabled());
    EXPECT_FALSE(commands->rescan()->isEnabled());
    EXPECT_FALSE(commands->quickLook()->isEnabled());
    for (QAction* a : commands->visualizations()->actions()) EXPECT_TRUE(a->isEnabled());
}

TEST_F(CommandsTest, WhileScanningRescanIsOffAndShowDisksLeavesTheScan) {
    state->startScan(makeTree({{"f.txt", 1}}));
    EXPECT_FALSE(commands->rescan()->isEnabled());
    EXPECT_TRUE(commands->showDisks()->isEnabled());
    press("Ctrl+Shift+D");
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_FALSE(state->scanRun().session().hasTask());
    EXPECT_EQ(window->rootView()->progressScreen(), nullptr);
}

TEST_F(CommandsTest, AfterAFailureRescanScansTheTargetAgain) {
    const std::string missing = makeTree({}) + "/gone";
    state->startScan(missing);
    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::failed);
    EXPECT_TRUE(commands->rescan()->isEnabled());
    EXPECT_FALSE(commands->backToResults()->isEnabled());
    press("Ctrl+R");
    EXPECT_EQ(state->phase().kind(), Kind::scanning);
    EXPECT_EQ(state->scanTarget(), AppState::normalizedPath(missing));
}

TEST_F(CommandsTest, AfterShowDisksTheResultsWaitAndGoCommandsRest) {
    scanToResults();
    state->navigate(node({"a"}));
    press("Ctrl+Shift+D");
    ASSERT_EQ(state->phase().kind(), Kind::home);
    EXPECT_TRUE(commands->backToResults()->isEnabled());
    EXPECT_TRUE(commands->rescan()->isEnabled());
    EXPECT_FALSE(commands->enclosingFolder()->isEnabled());
    EXPECT_FALSE(commands->back()->isEnabled());
    EXPECT_FALSE(commands->toggleInspector()->isEnabled());
    commands->backToResults()->trigger();
    EXPECT_EQ(state->phase().kind(), Kind::results);
    EXPECT_TRUE(commands->back()->isEnabled());
}

TEST_F(CommandsTest, GoCommandsFollowFocusAndSelection) {
    scanToResults();
    EXPECT_FALSE(commands->enclosingFolder()->isEnabled());
    EXPECT_FALSE(commands->zoomIntoSelection()->isEnabled());

    // The root selected: it zooms, but it has no parent.
    state->select(state->root());
    EXPECT_TRUE(commands->zoomIntoSelection()->isEnabled());
    EXPECT_TRUE(commands->quickLook()->isEnabled());

    // A file selected: no zoom.
    state->select(node({"a", "one.txt"}));
    EXPECT_FALSE(commands->zoomIntoSelection()->isEnabled());

    state->select(node({"a", "b"}));
    press("Ctrl+Down");
    EXPECT_EQ(state->focus(), node({"a", "b"}));
    EXPECT_TRUE(commands->enclosingFolder()->isEnabled());
    EXPECT_TRUE(commands->back()->isEnabled());
    EXPECT_FALSE(commands->forward()->isEnabled());
    press("Ctrl+Up");
    EXPECT_EQ(state->focus(), node({"a"}));
    press("Ctrl+[");
    EXPECT_EQ(state->focus(), node({"a", "b"}));
    EXPECT_TRUE(commands->forward()->isEnabled());
    press("Ctrl+]");
    EXPECT_EQ(state->focus(), node({"a"}));
}

TEST_F(CommandsTest, QuickLookAlwaysSetsThePreviewItem) {
    scanToResults();
    state->select(node({"c", "three.dat"}));
    press("Ctrl+Y");
    EXPECT_EQ(state->quickLookURL(), node({"c", "three.dat"})->url());
    press("Ctrl+Y");
    EXPECT_EQ(state->quickLookURL(), node({"c", "three.dat"})->url()) << "a second press does not clear";
}

TEST_F(CommandsTest, EditableTextKeepsItsMeaningOfTheArrowShortcuts) {
    scanToResults();
    state->navigate(node({"a", "b"}));
    state->select(node({"a"}));
    auto* field = new QLineEdit(window->toolbar());
    window->toolbar()->addWidget(field);
    field->setText("search words");
    field->setCursorPosition(6);
    field->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), field);

    press("Ctrl+Up");
    EXPECT_EQ(field->cursorPosition(), 0);
    EXPECT_EQ(state->focus(), node({"a", "b"})) << "the focus did not move";
    press("Ctrl+Down");
    EXPECT_EQ(field->cursorPosition(), 12);
    EXPECT_EQ(state->focus(), node({"a", "b"}));
    // Back has no pass-through.
    press("Ctrl+[");
    EXPECT_EQ(state->focus(), state->root());

    // A read-only field does not keep the shortcut.
    field->setReadOnly(true);
    state->navigate(node({"a", "b"}));
    press("Ctrl+Up");
    EXPECT_EQ(state->focus(), node({"a"}));
}

TEST_F(CommandsTest, InspectorItemNamesWhatItDoesAndPickersMarkTheChoice) {
    scanToResults();
    EXPECT_EQ(commands->toggleInspector()->text(), "Hide Inspector");
    press("Ctrl+Alt+I");
    EXPECT_FALSE(state->showInspector());
    EXPECT_EQ(commands->toggleInspector()->text(), "Show Inspector");

    QAction* treemap = commands->visualizations()->actions().at(1);
    EXPECT_EQ(treemap->text(), "Treemap");
    treemap->trigger();
    EXPECT_EQ(state->visualization(), Visualization::treemap);
    EXPECT_TRUE(treemap->isChecked());
    EXPECT_EQ(commands->colorModes()->actions().size(), 3);
    EXPECT_EQ(commands->visualizations()->actions().size(), 2);
    state->setColorMode(ColorMode::byKind);
    EXPECT_TRUE(commands->colorModes()->actions().at(1)->isChecked());
}

TEST_F(CommandsTest, CollectTrashAndRescanActOnTheSelectionOrTheFocus) {
    scanToResults();
    // The root selected: neither collected nor trashed; the folder target is the root.
    state->select(state->root());
    EXPECT_FALSE(commands->addToCollector()->isEnabled());
    EXPECT_FALSE(commands->moveToTrash()->isEnabled());
    EXPECT_EQ(folderTarget(*state), state->root());

    state->select(node({"a", "one.txt"}));
    press("Ctrl+Backspace");
    ASSERT_EQ(state->collector().size(), 1u);
    EXPECT_EQ(state->collector()[0], node({"a", "one.txt"}));
    press("Ctrl+Shift+Backspace");
    EXPECT_EQ(state->pendingTrash(), node({"a", "one.txt"}));
    state->setPendingTrash({}); // the confirmation closes
    QApplication::processEvents();
    QApplication::setActiveWindow(window.get());

    // A file selected: the rescan targets the focus; a folder selected: that folder.
    state->navigate(node({"a"}));
    state->select(node({"a", "one.txt"}));
    EXPECT_EQ(folderTarget(*state), node({"a"}));
    state->select(node({"c"}));
    EXPECT_EQ(folderTarget(*state), node({"c"}));
    press("Ctrl+Shift+R");
    EXPECT_EQ(state->refreshingFolders().size(), 1u);
    EXPECT_TRUE(state->refreshingFolders().count(node({"c"})));

    // A text field keeps Ctrl+Backspace for itself.
    state->syncCollector({});
    auto* field = new QLineEdit(window->toolbar());
    window->toolbar()->addWidget(field);
    field->setText("two words");
    field->setFocus();
    QApplication::processEvents();
    press("Ctrl+Backspace");
    EXPECT_TRUE(state->collector().empty());
    EXPECT_EQ(field->text(), "");
}

TEST_F(CommandsTest, SidebarItemHidesAndShowsTheOutline) {
    scanToResults();
    EXPECT_TRUE(commands->toggleSidebar()->isEnabled());
    ResultsView* results = window->rootView()->resultsView();
    commands->toggleSidebar()->trigger();
    EXPECT_FALSE(results->isSidebarVisible());
    EXPECT_EQ(commands->toggleSidebar()->text(), "Show Sidebar");
    commands->toggleSidebar()->trigger();
    EXPECT_TRUE(results->isSidebarVisible());
    EXPECT_EQ(commands->toggleSidebar()->text(), "Hide Sidebar");
}

} // namespace
} // namespace plenwick::test
