#pragma once
// A state on manual executors with the outline sidebar on screen (offscreen).

#include "app/StateFixture.h"
#include "outline/FileOutlineView.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineTableCoordinator.h"
#include "outline/OutlineTableView.h"

#include <QApplication>
#include <QHeaderView>
#include <QLocale>

namespace plenwick::test {

class OutlineTableTest : public StateTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        makeState();
        makeView();
    }
    void TearDown() override {
        view.reset();
        StateTest::TearDown();
        QLocale::setDefault(QLocale::system());
    }
    void makeView(int width = 300, int height = 400) {
        view = std::make_unique<FileOutlineView>(*state, nullptr, std::chrono::milliseconds(0));
        view->resize(width, height);
        view->show();
        QApplication::setActiveWindow(view.get());
        deliver();
    }
    void scan(const NodeRef& root) {
        state->finishScan(root, {});
        runUserJobs();
        runUtilityJobs();
        deliver();
    }
    // Lets pauses and deferred syncs run, and the walks they started.
    void settle() {
        deliver();
        runUserJobs();
        deliver();
    }
    OutlineTableCoordinator& coordinator() { return view->coordinator(); }
    OutlineTableView& table() { return coordinator().view(); }
    OutlineItemModel& model() { return coordinator().model(); }
    QHeaderView& header() { return *table().header(); }
    QModelIndex indexOf(const NodeRef& node) { return model().indexOf(node.get()); }
    bool isExpanded(const NodeRef& node) { return table().isExpanded(indexOf(node)); }
    QPoint centreOf(const NodeRef& node) { return table().visualRect(indexOf(node)).center(); }

    std::unique_ptr<FileOutlineView> view;
};

} // namespace plenwick::test
