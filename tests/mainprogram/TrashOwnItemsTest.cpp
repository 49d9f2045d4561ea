// The Trash's own folders and what lies in them, in the real window: the menu bar,
// the outline's and the inspector icon's context menus and the inspector's buttons
// offer neither collecting nor moving them to the Trash. Each such entry is disabled
// with the reason as its tool tip, and its key does nothing; any other item keeps them.
#include "ResultsWindowFixture.h"

#include "mainprogram/AppCommands.h"
#include "outline/FileOutlineView.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineTableCoordinator.h"
#include "outline/OutlineTableView.h"
#include "results/InspectorView.h"
#include "results/ShellActionButton.h"
#include "results/ShellInspectorDetails.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <optional>

namespace plenwick::test {
namespace {

const QString refusal = QStringLiteral("It is part of the Trash.");

class TrashOwnItems : public ResultsWindowTest, public ::testing::WithParamInterface<QSize> {
protected:
    void SetUp() override {
        ResultsWindowTest::SetUp();
        if (const char* data = std::getenv("XDG_DATA_HOME")) oldData_ = data;
        const std::string base = makeFiles({{"data/Trash/files/old.txt", 100},
                                            {"data/Trash/files/old folder/inner.txt", 100},
                                            {"data/Trash/info/old.txt.trashinfo", 10},
                                            {"data/keep.txt", 100},
                                            {"keep.txt", 100}});
        ::setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
        resizeWindow(GetParam());
        scan(base);
    }
    void TearDown() override {
        ResultsWindowTest::TearDown();
        if (oldData_) ::setenv("XDG_DATA_HOME", oldData_->c_str(), 1);
        else ::unsetenv("XDG_DATA_HOME");
    }
    ShellInspectorDetails& details() { return *qobject_cast<InspectorView*>(results()->inspector())->details(); }
    OutlineTableCoordinator& outline() { return static_cast<FileOutlineView*>(results()->sidebar())->coordinator(); }
    static QAction* entry(const QMenu& menu, const QString& title) {
        for (QAction* action : menu.actions())
            if (action->text() == title) return action;
        return nullptr;
    }
    // The context menu the inspector's icon opens, as a right click there does.
    QMenu* inspectorIconMenu() {
        QWidget* icon = details().iconView();
        const QPoint centre = icon->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre, icon->mapToGlobal(centre));
        QApplication::sendEvent(icon, &event);
        for (QMenu* menu : results()->findChildren<QMenu*>())
            if (menu->isVisible()) return menu;
        return nullptr;
    }
    // Whether the collector and Trash entries of `menu` are offered, or refused with the reason.
    static void expectMenu(QMenu* menu, bool offered, const std::string& what) {
        SCOPED_TRACE(what);
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->toolTipsVisible());
        for (const QString& title : {QStringLiteral("Add to Collector"), QStringLiteral("Move to Trash…")}) {
            QAction* action = entry(*menu, title);
            ASSERT_NE(action, nullptr) << title.toStdString();
            EXPECT_EQ(action->isEnabled(), offered) << title.toStdString();
            EXPECT_EQ(action->toolTip() == refusal, !offered) << action->toolTip().toStdString();
        }
        EXPECT_TRUE(entry(*menu, QStringLiteral("Reveal in File Manager"))->isEnabled());
        menu->close();
        QApplication::processEvents();
    }

    std::optional<std::string> oldData_;
};

TEST_P(TrashOwnItems, AreOfferedNeitherForTheCollectorNorForTheTrash) {
    AppCommands& commands = *window().commands();
    for (const std::string& relative : {std::string("data/Trash"), std::string("data/Trash/files"),
                                        std::string("data/Trash/files/old.txt"), std::string("data/Trash/files/old folder"),
                                        std::string("data/Trash/info"), std::string("data/keep.txt"),
                                        std::string("data")}) {
        SCOPED_TRACE(relative);
        const bool offered = relative == "data/keep.txt" || relative == "data";
        const NodeRef item = node(relative);
        ASSERT_TRUE(item);
        state().select(item);
        settle();

        // The menu bar.
        for (QAction* action : {commands.addToCollector(), commands.moveToTrash()}) {
            EXPECT_EQ(action->isEnabled(), offered) << action->text().toStdString();
            EXPECT_EQ(action->toolTip() == refusal, !offered) << action->toolTip().toStdString();
        }
        EXPECT_TRUE(commands.goMenu()->toolTipsVisible());
        // Its keys do nothing for them.
        QApplication::setActiveWindow(&window());
        QTest::keySequence(&window(), commands.addToCollector()->shortcut());
        settle();
        QTest::keySequence(&window(), commands.moveToTrash()->shortcut());
        settle();
        EXPECT_EQ(state().pendingTrash() == item, offered);
        EXPECT_EQ(state().isCollected(item.get()), offered);
        state().setPendingTrash(NodeRef());
        if (offered) state().removeFromCollector(item);
        settle();

        // The inspector's buttons.
        ASSERT_EQ(details().node(), item);
        for (QAbstractButton* button :
             {static_cast<QAbstractButton*>(details().trashButton()), static_cast<QAbstractButton*>(details().collectButton())}) {
            EXPECT_TRUE(button->isVisible()) << button->text().toStdString();
            EXPECT_EQ(button->isEnabled(), offered) << button->text().toStdString();
            EXPECT_EQ(button->toolTip() == refusal, !offered) << button->toolTip().toStdString();
        }

        // The context menus: the outline row's and the inspector icon's.
        OutlineTableView& table = outline().view();
        const QModelIndex row = static_cast<OutlineItemModel*>(table.model())->indexOf(item.get());
        ASSERT_TRUE(row.isValid());
        const QPoint at = table.visualRect(row).center();
        QContextMenuEvent onRow(QContextMenuEvent::Mouse, at, table.viewport()->mapToGlobal(at));
        QApplication::sendEvent(table.viewport(), &onRow);
        QMenu* rowMenu = nullptr;
        for (QMenu* menu : table.findChildren<QMenu*>())
            if (menu->isVisible()) rowMenu = menu;
        expectMenu(rowMenu, offered, "the outline row's menu");
        expectMenu(inspectorIconMenu(), offered, "the inspector icon's menu");
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, TrashOwnItems, ::testing::Values(QSize(1280, 820), QSize(960, 620)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

} // namespace
} // namespace plenwick::test
