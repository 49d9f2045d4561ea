// The table's columns on a bare table: what a user's resize may do to them, and the
// one save that follows a burst of changes.

#include "app/Preferences.h"
#include "outline/LocaleNameCollation.h"
#include "outline/OutlineColumnFit.h"
#include "outline/OutlineColumns.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineSort.h"
#include "outline/OutlineTableColumns.h"
#include "outline/OutlineTableView.h"

#include <QCoreApplication>
#include <QHeaderView>

#include <gtest/gtest.h>

namespace plenwick::test {
namespace {

TEST(OutlineColumnFit, ColumnsThatYieldGiveTheNameItsFirstWidthThenEveryWidthComesBack) {
    // Size (keeps its width) and share (yields), name first 150, minimum 90.
    const std::vector<OutlineColumnRoom> columns{{68, 50, false}, {64, 50, true}};
    EXPECT_EQ(fitOutlineColumns(400, 150, 90, columns), (OutlineColumnWidths{268, {68, 64}})) << "room for all";
    EXPECT_EQ(fitOutlineColumns(282, 150, 90, columns), (OutlineColumnWidths{150, {68, 64}}));
    EXPECT_EQ(fitOutlineColumns(270, 150, 90, columns), (OutlineColumnWidths{150, {68, 52}}));
    EXPECT_EQ(fitOutlineColumns(256, 150, 90, columns), (OutlineColumnWidths{138, {68, 50}})) << "down to its minimum";
    EXPECT_EQ(fitOutlineColumns(200, 150, 90, columns), (OutlineColumnWidths{90, {68, 50}})) << "then the name";
    EXPECT_EQ(fitOutlineColumns(150, 150, 90, columns), (OutlineColumnWidths{90, {68, 50}})) << "wider than the table";
    // The last shown column that yields gives first.
    const std::vector<OutlineColumnRoom> two{{64, 50, true}, {68, 50, true}};
    EXPECT_EQ(fitOutlineColumns(270, 150, 90, two), (OutlineColumnWidths{150, {64, 56}}));
    EXPECT_EQ(fitOutlineColumns(240, 150, 90, two), (OutlineColumnWidths{140, {50, 50}}));
    // Only the name column shown.
    EXPECT_EQ(fitOutlineColumns(120, 150, 90, {}), (OutlineColumnWidths{120, {}}));
}

TEST(OutlineTableColumnsTest, AResizeKeepsEveryColumnAtItsMinimumAndTheShownOnesWithinTheWidth) {
    const LocaleNameCollation names;
    OutlineItemModel model(names);
    OutlineTableView view;
    view.setModel(&model);
    MemoryPreferences store;
    Preferences& preferences = store;
    OutlineTableColumns columns(preferences, view, OutlineSort{});
    view.resize(300, 200);
    view.show();
    columns.fillNameColumn();
    QHeaderView& header = *view.header();
    const int name = logicalIndex(OutlineColumn::name), size = logicalIndex(OutlineColumn::size);
    const auto shownWidth = [&] {
        int total = 0;
        for (int i = 0; i < header.count(); ++i)
            if (!header.isSectionHidden(i)) total += header.sectionSize(i);
        return total;
    };
    const int width = view.viewport()->width();
    ASSERT_EQ(shownWidth(), width);

    // A user's resize, as the header reports it.
    const auto userResize = [&](int logical, int newSize) {
        header.resizeSection(logical, newSize);
        columns.columnResized(logical, newSize);
    };
    // Another column widened: the name column gives way, down to its minimum.
    userResize(size, 100);
    EXPECT_EQ(header.sectionSize(size), 100);
    EXPECT_EQ(shownWidth(), width);
    userResize(size, 400);
    EXPECT_EQ(header.sectionSize(name), 90);
    // Narrowed past their minimums, the columns stop there.
    userResize(size, 10);
    EXPECT_EQ(header.sectionSize(size), outlineColumn(OutlineColumn::size).minimumWidth);
    userResize(name, 20);
    EXPECT_EQ(header.sectionSize(name), 90);

    // The layout is saved once, after the changes.
    EXPECT_TRUE(columns.isSaveScheduled());
    EXPECT_FALSE(preferences.value(kOutlineColumnsAutosaveName).isValid());
    QCoreApplication::processEvents();
    EXPECT_FALSE(columns.isSaveScheduled());
    EXPECT_EQ(preferences.value(kOutlineColumnsAutosaveName).toByteArray(), header.saveState());
}

} // namespace
} // namespace plenwick::test
