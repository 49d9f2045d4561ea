#include "helper/HelperIcon.h"
#include "helper/HelperMenu.h"

#include "HelperFakes.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QTest>

using namespace plenwick;
using namespace plenwick::test;
using Status = TrashWatcher::Status;

namespace {

class HelperMenuTest : public ::testing::Test, public HelperWorld {
protected:
    void build() {
        state = std::make_unique<HelperState>(env);
        HelperMenu::Actions actions;
        for (auto [slot, name] : {std::pair{&actions.openMainApp, "open"}, {&actions.startupItems, "startup"},
                                  {&actions.quitMainApp, "quit main"}, {&actions.quitHelper, "quit helper"}})
            *slot = [this, name = std::string(name)] { ran.push_back(name); };
        menu = std::make_unique<HelperMenu>(*state, std::move(actions));
    }
    std::vector<QString> visibleTitles() const {
        std::vector<QString> titles;
        for (QAction* item : menu->actions())
            if (item->isVisible()) titles.push_back(item->isSeparator() ? QStringLiteral("—") : item->text());
        return titles;
    }

    std::unique_ptr<HelperState> state;
    std::unique_ptr<HelperMenu> menu;
    std::vector<std::string> ran;
};

} // namespace

TEST(HelperMenuText, TheStatusLineFollowsTheSwitchAndTheWatcher) {
    EXPECT_EQ(HelperMenu::statusText(false, Status::watching), "Not watching the Trash");
    EXPECT_EQ(HelperMenu::statusText(false, Status::noAccess), "Not watching the Trash");
    EXPECT_EQ(HelperMenu::statusText(true, Status::stopped), "Not watching the Trash");
    EXPECT_EQ(HelperMenu::statusText(true, Status::watching), "Watching the Trash for apps");
    EXPECT_EQ(HelperMenu::statusText(true, Status::noAccess),
              "Can’t see the Trash — its permissions don’t let the helper read it");
}

TEST_F(HelperMenuTest, ItemsInOrderAndAHiddenTrashOffersNothingThisSystemLacks) {
    events->refused = true;
    build();
    // Linux has no access to grant: the menu says why, and offers no settings page.
    EXPECT_EQ(visibleTitles(), (std::vector<QString>{
                                   "Can’t see the Trash — its permissions don’t let the helper read it", "—",
                                   "Open Plenwick", "Uninstall an App…", "Startup Items…", "—",
                                   "Offer to Remove Leftovers of Trashed Apps", "—", "Quit Plenwick", "Quit Helper"}));
    EXPECT_FALSE(menu->statusLine()->isEnabled()) << "a line of text, not a command";
    EXPECT_EQ(menu->openMainApp()->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(menu->uninstallApp()->shortcut(), QKeySequence("Ctrl+U"));
    EXPECT_EQ(menu->startupItems()->shortcut(), QKeySequence("Ctrl+L"));
    EXPECT_EQ(menu->quitHelper()->shortcut(), QKeySequence("Ctrl+Q"));

    // Switched off: not watching, even though the Trash is still hidden.
    menu->offerToggle()->trigger();
    EXPECT_FALSE(state->askOnTrash());
    EXPECT_FALSE(menu->offerToggle()->isChecked());
    EXPECT_EQ(preferences->value(HelperState::askOnTrashKey, {}), QVariant(false));
    EXPECT_EQ(menu->statusLine()->text(), "Not watching the Trash");

    events->refused = false;
    menu->offerToggle()->trigger();
    EXPECT_EQ(menu->statusLine()->text(), "Watching the Trash for apps");
    EXPECT_TRUE(menu->offerToggle()->isChecked());
}

TEST_F(HelperMenuTest, TheQuitItemFollowsTheMainProgramAndEachItemActs) {
    build();
    EXPECT_FALSE(menu->quitMainApp()->isEnabled());
    running->running["tarnwell.Plenwick"] = {{77, "/Apps/Plenwick.app"}};
    emit menu->aboutToShow(); // the menu opening looks again
    EXPECT_TRUE(menu->quitMainApp()->isEnabled());
    running->running.clear();
    ASSERT_TRUE(onExit);
    onExit();
    EXPECT_FALSE(menu->quitMainApp()->isEnabled()) << "greyed once it has really ended";
    menu->quitMainApp()->trigger();
    EXPECT_TRUE(ran.empty()) << "a greyed item does nothing";

    running->running["tarnwell.Plenwick"] = {{78, "/Apps/Plenwick.app"}};
    emit menu->aboutToShow();

    for (QAction* item : {menu->openMainApp(), menu->startupItems(), menu->quitMainApp(), menu->quitHelper()})
        item->trigger();
    EXPECT_EQ(ran, (std::vector<std::string>{"open", "startup", "quit main", "quit helper"}));
    menu->uninstallApp()->trigger();
    EXPECT_EQ(activations, 1) << "the state's own operation";
}

TEST_F(HelperMenuTest, TheKeysItShowsWorkInTheOpenMenuAndInTheHelpersWindows) {
    build();
    // A key pressed while the menu is open acts as its item, and closes the menu.
    menu->popup(QPoint(0, 0));
    QTest::keyClick(menu.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(ran, std::vector<std::string>{"startup"});
    EXPECT_FALSE(menu->isVisible());
    QTest::keyClick(menu.get(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(activations, 1) << "Uninstall an App…";
    // A key of no item, or of a greyed one, does nothing.
    QTest::keyClick(menu.get(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(ran.size(), 1u);

    // The windows' actions carry the same keys and do what the items do.
    QStringList keys;
    for (QAction* action : menu->windowActions()) keys << action->shortcut().toString(QKeySequence::PortableText);
    EXPECT_EQ(keys, (QStringList{"Ctrl+O", "Ctrl+U", "Ctrl+L", "Ctrl+Q"}));
    menu->windowActions().front()->trigger();
    menu->windowActions().back()->trigger();
    EXPECT_EQ(ran, (std::vector<std::string>{"startup", "open", "quit helper"}));

    // Drawn by the desktop, the items show no keys, which still work when it is ours.
    menu->setShortcutsShown(false);
    for (QAction* item : menu->actions()) EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
    QTest::keyClick(menu.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(ran.back(), "open");
    menu->setShortcutsShown(true);
    EXPECT_EQ(menu->openMainApp()->shortcut(), QKeySequence("Ctrl+O"));
}

TEST(HelperIcon, DrawnCellByCellFromItsPattern) {
    const QImage image = helperIconImage(1);
    ASSERT_EQ(image.size(), QSize(15, 13));
    int filled = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) filled += qAlpha(image.pixel(x, y)) == 255;
    EXPECT_EQ(filled, 117);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(1, 0)), 255);
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));

    const QImage doubled = helperIconImage(2, Qt::white);
    EXPECT_EQ(doubled.size(), QSize(30, 26));
    EXPECT_EQ(doubled.pixel(3, 1), qRgb(255, 255, 255)) << "cell (1, 0) at two pixels a cell";
    EXPECT_EQ(qAlpha(doubled.pixel(1, 1)), 0);

    const QIcon icon = makeHelperIcon();
    EXPECT_TRUE(icon.isMask());
    EXPECT_EQ(icon.availableSizes().size(), 4);
}
