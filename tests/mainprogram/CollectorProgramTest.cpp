// The collector, the single-item Trash and the folder rescan through the real program:
// pooled scans, the menus' keys, the bar's buttons and the system's Trash (a Trash of
// the test's, through XDG_DATA_HOME).
#include "app/StateFixture.h"

#include "collector/CollectorView.h"
#include "collector/ShellCollectorConfirmSheet.h"
#include "mainprogram/MainWindow.h"
#include "mainprogram/PlenwickApp.h"
#include "results/ResultsQuestions.h"
#include "results/ResultsView.h"
#include "results/RootView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>

namespace plenwick::test {
namespace {

namespace fs = std::filesystem;
using Kind = AppState::Phase::Kind;

AppEnvironment pooled() {
    AppEnvironment env;
    env.userInitiated = std::make_shared<ThreadPoolExecutor>(2);
    env.utility = std::make_shared<ThreadPoolExecutor>(1);
    env.volumeSource = std::make_shared<FixedVolumes>();
    env.preferences = std::make_shared<MemoryPreferences>();
    return env;
}

void write(const fs::path& path, std::size_t bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << std::string(bytes, 'x');
}

class CollectorProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(data.isValid() && scan.isValid());
        oldData = std::getenv("XDG_DATA_HOME") ? std::optional<std::string>(std::getenv("XDG_DATA_HOME")) : std::nullopt;
        setenv("XDG_DATA_HOME", data.path().toUtf8().constData(), 1);
        base = scan.path().toStdString();
        write(base + "/a/one.bin", 40000);
        write(base + "/a/b/two.bin", 20000);
        write(base + "/c/three.bin", 12000);
        write(base + "/d/four.bin", 8000);
    }
    void TearDown() override {
        if (oldData)
            setenv("XDG_DATA_HOME", oldData->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    void press(QWidget* window, const char* keys) {
        QTest::keySequence(window, QKeySequence(QString::fromLatin1(keys), QKeySequence::PortableText));
    }
    NodeRef at(AppState& state, const std::string& rel) { return state.nodeForURL(base + "/" + rel); }

    QTemporaryDir data, scan;
    std::optional<std::string> oldData;
    std::string base;
};

TEST_F(CollectorProgramTest, CollectDeleteTrashOneAndRescanAFolder) {
    PlenwickApp program(pooled);
    program.showMainWindow();
    MainWindow& window = program.mainWindow();
    QApplication::setActiveWindow(&window);
    AppState& state = program.appState();
    program.openArguments({"Plenwick", base});
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.phase().kind() == Kind::results; }));
    const std::int64_t before = state.root()->size();
    ResultsView* results = window.rootView()->resultsView();
    auto* bar = qobject_cast<CollectorView*>(results->collectorBar());
    ASSERT_TRUE(bar);

    // Collect a folder by its menu key, then delete it from the bar.
    const NodeRef a = at(state, "a");
    const std::int64_t aSize = a->size();
    state.select(a);
    press(&window, "Ctrl+Backspace");
    ASSERT_EQ(state.collector(), std::vector<NodeRef>{a});
    QPushButton* remove = bar->deleteButton()->isVisible() ? bar->deleteButton() : bar->compactDeleteButton();
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->confirmSheet() && bar->confirmSheet()->isVisible(); }));
    QTest::keyClick(bar->confirmSheet(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.collector().empty(); }));
    EXPECT_FALSE(fs::exists(base + "/a"));
    EXPECT_TRUE(fs::exists(data.path().toStdString() + "/Trash/files/a/b/two.bin"));
    EXPECT_TRUE(fs::exists(data.path().toStdString() + "/Trash/info/a.trashinfo"));
    EXPECT_EQ(state.root()->size(), before - aSize);
    ASSERT_TRUE(bar->freedMessage());
    EXPECT_TRUE(bar->freedMessage()->startsWith("Freed "));

    // One item, asked for by its menu key and confirmed in the dialog.
    const NodeRef three = at(state, "c/three.bin");
    state.select(three);
    QApplication::processEvents();
    QApplication::setActiveWindow(&window);
    press(&window, "Ctrl+Shift+Backspace");
    QMessageBox* ask = results->questions()->trashConfirmation();
    ASSERT_TRUE(ask);
    QAbstractButton* move = nullptr;
    for (QAbstractButton* b : ask->buttons())
        if (b->text() == "Move to Trash") move = b;
    ASSERT_TRUE(move);
    QTest::mouseClick(move, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return three->parent() == nullptr; }));
    EXPECT_FALSE(fs::exists(base + "/c/three.bin"));
    EXPECT_FALSE(state.pendingTrash());

    // A file added on disk appears after a rescan of its folder alone.
    const NodeRef d = at(state, "d");
    write(base + "/d/five.bin", 30000);
    state.select(d);
    QApplication::processEvents();
    QApplication::setActiveWindow(&window);
    press(&window, "Ctrl+Shift+R");
    ASSERT_TRUE(QTest::qWaitFor([&] { return at(state, "d/five.bin") != nullptr; }));
    EXPECT_TRUE(state.refreshingFolders().empty());
    EXPECT_GT(at(state, "d")->size(), d->size());
    EXPECT_EQ(state.selection(), at(state, "d")) << "the selection moved to the new node";
}

} // namespace
} // namespace plenwick::test
