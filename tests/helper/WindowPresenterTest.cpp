#include "helper/WindowPresenter.h"

#include "HelperFakes.h"

#include "startup/ui/StartupItemsView.h"
#include "uninstaller/ui/UninstallerView.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QShortcut>
#include <QTest>

using namespace plenwick;
using namespace plenwick::test;

namespace {

class WindowPresenterTest : public ::testing::Test {
protected:
    void TearDown() override {
        presenter.reset();
        QApplication::processEvents();
    }

    StartupItemsModel::Environment startupEnvironment() {
        ++modelsMade;
        StartupItemsModel::Environment environment;
        // Loads wait forever: no tool is run.
        environment.executor = startupWork;
        return environment;
    }
    std::shared_ptr<UninstallSession> session(const std::string& name) {
        UninstallServices services;
        services.executor = background.executor;
        AppBundleInfo app{"/Applications/" + name + ".app", name, "com.example." + name, std::nullopt, std::nullopt, {}};
        return std::make_shared<UninstallSession>(app, UninstallSession::Mode::afterTrash, services);
    }
    void presentStartupItems() {
        presenter->presentStartupItems(QString::fromLatin1(WindowPresenter::startupItemsWindow),
                                       QStringLiteral("Startup Items"), true, {});
    }

    int modelsMade = 0;
    std::shared_ptr<ManualExecutor> startupWork = std::make_shared<ManualExecutor>(); // never run
    ManualBackground background;
    std::unique_ptr<WindowPresenter> presenter =
        std::make_unique<WindowPresenter>([this] { return startupEnvironment(); });
};

} // namespace

TEST_F(WindowPresenterTest, OneStartupItemsWindowBroughtForwardAndFreshAfterClosing) {
    presentStartupItems();
    QApplication::processEvents(); // the view loads its model once it has been shown
    PresentedWindow* window = presenter->window("startup-items");
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Startup Items");
    EXPECT_EQ(window->size(), QSize(760, 600));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(qobject_cast<StartupItemsView*>(window->content()));
    const std::size_t firstLoad = startupWork->pendingCount(); // the two halves of one load
    EXPECT_GT(firstLoad, 0u);

    window->resize(900, 700);
    window->hide();
    presentStartupItems();
    QApplication::processEvents();
    EXPECT_EQ(presenter->window("startup-items"), window);
    EXPECT_TRUE(window->isVisible()) << "brought forward";
    EXPECT_EQ(window->size(), QSize(900, 700));
    EXPECT_EQ(modelsMade, 1) << "no second model, no reload";
    EXPECT_EQ(startupWork->pendingCount(), firstLoad);

    window->close();
    EXPECT_EQ(presenter->window("startup-items"), nullptr);
    QApplication::processEvents();
    presentStartupItems();
    ASSERT_TRUE(presenter->window("startup-items"));
    EXPECT_EQ(presenter->window("startup-items")->size(), QSize(760, 600));
    EXPECT_EQ(modelsMade, 2);
}

TEST_F(WindowPresenterTest, TheUninstallerWindowFitsItsContentAndOnlyTheFirstSessionCounts) {
    int firstClosed = 0, secondClosed = 0;
    auto first = session("First");
    presenter->presentUninstaller("leftovers", "Leftovers of First", false, [&] { ++firstClosed; }, first);
    PresentedWindow* window = presenter->window("leftovers");
    ASSERT_TRUE(window);
    auto* view = qobject_cast<UninstallerView*>(window->content());
    ASSERT_TRUE(view);
    EXPECT_EQ(&view->session(), first.get());
    EXPECT_EQ(first->phase().kind(), UninstallSession::Phase::Kind::scanning);
    EXPECT_EQ(background.size(), 1u) << "the view starts the search when it appears";
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    EXPECT_EQ(window->size(), view->sizeHint());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);

    presenter->presentUninstaller("leftovers", "Leftovers of Second", false, [&] { ++secondClosed; }, session("Second"));
    EXPECT_EQ(presenter->windowCount(), 1u);
    EXPECT_EQ(window->windowTitle(), "Leftovers of First");
    presenter->closeWindow("nothing open");
    presenter->closeWindow("leftovers");
    EXPECT_EQ(firstClosed, 1);
    EXPECT_EQ(secondClosed, 0) << "the second call's callback is never used";
}

TEST_F(WindowPresenterTest, ACloseCallbackCanOpenTheNextWindowAtOnce) {
    auto next = session("Next");
    bool sawNoEntry = false;
    presenter->presentUninstaller("leftovers", "Leftovers of First", false, [&] {
        sawNoEntry = presenter->window("leftovers") == nullptr;
        presenter->presentUninstaller("leftovers", "Leftovers of Next", false, {}, next);
    }, session("First"));
    PresentedWindow* first = presenter->window("leftovers");
    first->close(); // as the user would
    EXPECT_TRUE(sawNoEntry);
    PresentedWindow* second = presenter->window("leftovers");
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->windowTitle(), "Leftovers of Next");
    EXPECT_TRUE(second->isVisible());
}

TEST_F(WindowPresenterTest, AMinimisedWindowIsRestoredWhenPresentedAgainAndEachWindowCarriesTheSharedActions) {
    QAction quit(QStringLiteral("Quit Helper"));
    presenter->addWindowAction(&quit);
    presentStartupItems();
    PresentedWindow* startup = presenter->window("startup-items");
    ASSERT_TRUE(startup);
    EXPECT_TRUE(startup->actions().contains(&quit)) << "its shortcut works in the window";

    startup->setWindowState(Qt::WindowMinimized);
    presentStartupItems();
    EXPECT_EQ(presenter->window("startup-items"), startup);
    EXPECT_FALSE(startup->windowState() & Qt::WindowMinimized) << "brought forward, but left minimised";

    // Actions added later reach the open windows; windows made later get them all.
    QAction other(QStringLiteral("Other"));
    presenter->addWindowAction(&other);
    EXPECT_TRUE(startup->actions().contains(&other));
    presenter->presentUninstaller("leftovers", "Leftovers of Notes", false, {}, session("Notes"));
    PresentedWindow* leftovers = presenter->window("leftovers");
    ASSERT_TRUE(leftovers);
    EXPECT_EQ(leftovers->actions(), (QList<QAction*>{&quit, &other}));
}

TEST_F(WindowPresenterTest, CtrlWAndEscapeCloseTheWindowsEscapeStayingTheUninstallersCancel) {
    const auto press = [](QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QApplication::setActiveWindow(&window);
        QTest::keyClick(&window, static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    };
    for (const auto& [key, modifiers] : {std::pair{int(Qt::Key_W), Qt::KeyboardModifiers(Qt::ControlModifier)},
                                         std::pair{int(Qt::Key_Escape), Qt::KeyboardModifiers(Qt::NoModifier)}}) {
        presentStartupItems();
        QApplication::processEvents();
        PresentedWindow* window = presenter->window("startup-items");
        ASSERT_TRUE(window);
        press(*window, key, modifiers);
        EXPECT_EQ(presenter->window("startup-items"), nullptr) << key;
    }
    presenter->presentUninstaller("leftovers", "Leftovers of First", false, {}, session("First"));
    PresentedWindow* window = presenter->window("leftovers");
    ASSERT_TRUE(window);
    int escapes = 0;
    for (QShortcut* shortcut : window->findChildren<QShortcut*>())
        if (shortcut->keys().contains(QKeySequence(Qt::Key_Escape))) ++escapes;
    EXPECT_EQ(escapes, 1) << "the uninstaller's own, never a second that would make it ambiguous";
    press(*window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(presenter->window("leftovers"), nullptr);
}
