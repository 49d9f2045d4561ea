// Texts that must stay readable in the room they get: the breadcrumbs of a deep
// path, the inspector's name and share lines, wrapped tool tips.
#include "ViewFixture.h"

#include "results/BreadcrumbBar.h"
#include "results/BreadcrumbFit.h"
#include "results/FileTypesRowView.h"
#include "results/InspectorColumnWidth.h"
#include "results/ResultsTexts.h"
#include "results/ResultsView.h"
#include "results/SelectableText.h"
#include "results/ShellShareBar.h"
#include "shell/ShellStyle.h"
#include "shell/WrappedToolTip.h"

#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <QToolTip>

#include <numeric>

namespace plenwick::test {
namespace {

int sum(const std::vector<int>& widths) { return std::accumulate(widths.begin(), widths.end(), 0); }

TEST(BreadcrumbFit, TheFolderOnViewKeepsItsWidthWhileTheOthersGiveWay) {
    const BreadcrumbSpacing spacing{16, 40, 50};
    // Room for all: nothing changes.
    BreadcrumbFit fit = fitBreadcrumbs({80, 120, 90}, 500, spacing);
    EXPECT_EQ(fit.widths, (std::vector<int>{80, 120, 90}));
    EXPECT_FALSE(fit.folds());

    // A little short: the widest crumbs above the focus shorten toward a common
    // width, the narrow ones and the focus stay whole.
    fit = fitBreadcrumbs({60, 300, 250, 200}, 700, spacing);
    EXPECT_FALSE(fit.folds());
    EXPECT_EQ(fit.widths[0], 60);
    EXPECT_EQ(fit.widths[3], 200);
    EXPECT_LT(fit.widths[1], 300);
    EXPECT_EQ(fit.widths[1], fit.widths[2]);
    EXPECT_LE(sum(fit.widths) + 3 * spacing.separator, 700);
    EXPECT_GT(sum(fit.widths) + 3 * spacing.separator, 700 - 3);  // no room wasted

    // Deep down: the outer crumbs after the root fold into the ellipsis; the root
    // and the crumbs nearest the focus stay, the focus whole.
    const std::vector<int> deep(20, 100);
    fit = fitBreadcrumbs(deep, 600, spacing);
    ASSERT_TRUE(fit.folds());
    EXPECT_EQ(fit.foldedFrom, 1u);
    EXPECT_EQ(fit.widths.back(), 100);
    EXPECT_GT(fit.widths[0], 0);
    int shown = fit.widths[0] + spacing.ellipsis;
    for (std::size_t i = fit.foldedTo; i < deep.size(); ++i) shown += spacing.separator + fit.widths[i];
    for (std::size_t i = fit.foldedFrom; i < fit.foldedTo; ++i) EXPECT_EQ(fit.widths[i], 0);
    EXPECT_LE(shown, 600);
    for (std::size_t i = fit.foldedTo; i < deep.size(); ++i) EXPECT_GE(fit.widths[i], spacing.least);

    // A focus name as wide as the bar: everything above it folds, the root shrinks to
    // what is left, the focus still whole.
    fit = fitBreadcrumbs({100, 100, 100, 560}, 600, spacing);
    EXPECT_EQ(fit.widths.back(), 560);
    EXPECT_EQ(fit.foldedFrom, 1u);
    EXPECT_EQ(fit.foldedTo, 3u);
    EXPECT_EQ(fit.widths[0], 0);
    EXPECT_TRUE(fitBreadcrumbs({}, 100, spacing).widths.empty());
}

class DeepBreadcrumbTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        std::string path;
        for (int i = 0; i < 14; ++i) path += "folder-with-a-rather-long-name-" + std::to_string(i) + "/";
        state->startScan(makeTree({{path + "deepest-folder-on-view/data.bin", 4000}}));
        runUserJobs();
        runUtilityJobs();
        NodeRef node = state->root();
        while (node->childCount() > 0 && node->children()[0]->isContainer()) node = node->children()[0];
        state->navigate(node);
        bar = root->resultsView()->breadcrumbBar();
        QApplication::processEvents();
    }
    QRect inBar(QWidget* w) const { return QRect(w->mapTo(bar, QPoint(0, 0)), w->size()); }
    BreadcrumbBar* bar = nullptr;
};

TEST_F(DeepBreadcrumbTest, TheFolderOnViewIsShownWholeAndTheFoldedOnesAreAMenuAway) {
    ASSERT_EQ(bar->crumbButtons().size(), 16u);
    QToolButton* focus = bar->crumbButtons().back();
    EXPECT_EQ(focus->text(), "deepest-folder-on-view");
    ASSERT_TRUE(focus->isVisibleTo(bar));
    const QRect shown = inBar(focus);
    const QRect room = inBar(bar->findChild<QScrollArea*>()->viewport());
    EXPECT_TRUE(room.contains(shown)) << shown.x() << "+" << shown.width() << " in " << room.x() << "+" << room.width();
    EXPECT_GE(focus->width(), focus->sizeHint().width());
    EXPECT_TRUE(bar->crumbButtons().front()->isVisibleTo(bar));

    // The folded crumbs are in the ellipsis crumb's menu, outermost first.
    QToolButton* folded = bar->foldedCrumb();
    ASSERT_NE(folded, nullptr);
    ASSERT_TRUE(folded->isVisibleTo(bar));
    EXPECT_TRUE(room.contains(inBar(folded)));
    auto* menu = folded->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_FALSE(menu->actions().isEmpty());
    EXPECT_EQ(menu->actions().front()->text(), "folder-with-a-rather-long-name-0");
    const NodeRef before = state->focus();
    menu->actions().front()->trigger();
    EXPECT_EQ(state->focus()->name(), "folder-with-a-rather-long-name-0");
    EXPECT_NE(state->focus(), before);

    // Wide enough again, every crumb shows and nothing is folded.
    state->goBack();
    root->resize(6000, 820);
    QApplication::processEvents();
    EXPECT_FALSE(bar->foldedCrumb()->isVisibleTo(bar));
    for (QToolButton* crumb : bar->crumbButtons()) EXPECT_TRUE(crumb->isVisibleTo(bar));
}

TEST(ShareLine, UnderscoresAreDrawnInsideTheLabel) {
    // A label of underscores alone: their strokes lie below the baseline and must not
    // be cut off by the line's box.
    ShellShareBar bar;
    bar.resize(240, bar.sizeHint().height());
    bar.set(QStringLiteral("____________"), 0.5, Qt::red);
    const QImage image = bar.grab().toImage();
    const int textBottom = static_cast<int>(bar.barRect().top()) - 1;
    const QRgb blank = image.pixel(0, 0);
    int inked = 0;
    for (int y = 0; y <= textBottom; ++y)
        for (int x = 0; x < image.width() / 2; ++x) inked += image.pixel(x, y) != blank;
    EXPECT_GT(inked, 30);
}

TEST(ShareLine, AShareOfNothingReadsAsADashOverAnEmptyTrack) {
    ShellShareBar bar;
    bar.set(QStringLiteral("of “empty”"), std::nullopt, Qt::red);
    EXPECT_FALSE(bar.hasShare());
    EXPECT_EQ(bar.percentText(), "—");
    EXPECT_EQ(bar.fraction(), 0.0);
    bar.set(QStringLiteral("of “empty”"), 0.25, Qt::red);
    EXPECT_EQ(bar.percentText(), "25%");
}

TEST(SelectableTextLines, ATextCutAfterItsLastLineEndsInAnEllipsis) {
    SelectableText text;
    text.setMaximumLines(3);
    text.resize(180, 200);
    text.show();
    const QString name = QStringLiteral("a very long file name that certainly takes more than three lines at this "
                                        "width so that the end of it cannot show.txt");
    text.setText(name);
    QApplication::processEvents();
    EXPECT_EQ(text.text(), name);
    const QString shown = text.shownText();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("…"))) << shown.toStdString();
    int lines = 0;
    for (QTextBlock b = text.document()->begin(); b.isValid(); b = b.next()) lines += b.layout()->lineCount();
    EXPECT_EQ(lines, 3);

    // Wider, the whole text fits again and shows without an ellipsis.
    text.resize(4000, 200);
    QApplication::processEvents();
    EXPECT_EQ(text.shownText(), name);

    // A short text asks for one line in the title font.
    text.setFont(shellFont(ShellTextStyle::title3, QFont::DemiBold));
    text.setText(QStringLiteral("Fixture"));
    EXPECT_EQ(text.sizeHint().height(), text.fontMetrics().height());
}

TEST(WrappedToolTips, ALongTipWrapsAtAReadableWidthAndAShortOneStaysPlain) {
    EXPECT_EQ(wrappedToolTip("Everything scanned in /data"), "Everything scanned in /data");
    const QString long_ = QStringLiteral("Space the scan couldn't attribute to visible files: file-system metadata and "
                                         "journals, snapshots, deleted files that programs still hold open, <b>and</b> "
                                         "folders the app wasn't allowed to read.");
    const QString tip = wrappedToolTip(long_);
    ASSERT_TRUE(Qt::mightBeRichText(tip));
    EXPECT_TRUE(tip.contains("&lt;b&gt;and&lt;/b&gt;")) << "the text is shown as it is, not as markup";
    // A tool tip label wraps rich text; laid out, it stays near the readable width.
    QLabel label(tip);
    label.setFont(QToolTip::font());
    label.setWordWrap(true);
    EXPECT_LE(label.sizeHint().width(), kWrappedToolTipWidth + 40);
    EXPECT_GE(label.sizeHint().height(), 3 * label.fontMetrics().height());
}

TEST(FileTypesRowHeadings, TheCountStaysWholeAndTheTitleGivesWayFirst) {
    FileTypesRow row;
    row.title = QStringLiteral("Source Code");
    row.subtitle = QStringLiteral("22 types");
    const QFont font = QApplication::font();
    const QFontMetricsF title(shellFont(ShellTextStyle::body, QFont::Medium)), caption(shellFont(ShellTextStyle::caption));
    const double whole = title.horizontalAdvance(row.title) + FileTypesRowMetrics::subtitleGap +
                         caption.horizontalAdvance(row.subtitle);

    FileTypesRowHeading heading = fileTypesRowHeading(row, whole + 1, font);
    EXPECT_EQ(heading.title, row.title);
    EXPECT_EQ(heading.subtitle, row.subtitle);

    // A few points short: the title loses its end, the count stays whole.
    heading = fileTypesRowHeading(row, whole - 12, font);
    EXPECT_EQ(heading.subtitle, row.subtitle);
    EXPECT_TRUE(heading.title.endsWith(QStringLiteral("…"))) << heading.title.toStdString();
    EXPECT_LE(title.horizontalAdvance(heading.title) + FileTypesRowMetrics::subtitleGap +
                  caption.horizontalAdvance(heading.subtitle),
              whole - 12);

    // At the inspector's default width, beside the list's scroll bar, a kind of many
    // types and gigabytes reads whole.
    const int list = static_cast<int>(InspectorColumnWidth::defaultWidth) -
                     QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QRectF rowRect = FileTypesRowMetrics::rowRect(QRect(0, 0, list, 40), true);
    heading = fileTypesRowHeading(row, FileTypesRowMetrics::headingRoom(rowRect.width(), "12.34 GB", font), font);
    EXPECT_EQ(heading.title, row.title);
    EXPECT_EQ(heading.subtitle, row.subtitle);
    EXPECT_GT(FileTypesRowMetrics::rowRect(QRect(0, 0, list, 40), false).left(), 0);

    // Far too narrow for both: the title keeps what it can, the count goes last.
    heading = fileTypesRowHeading(row, title.horizontalAdvance(QStringLiteral("Sou…")), font);
    EXPECT_TRUE(heading.title.startsWith(QStringLiteral("S")));
    EXPECT_TRUE(heading.subtitle.isEmpty());
}

} // namespace
} // namespace plenwick::test
