#include "app/StateFixture.h"

#include "results/FileKindText.h"
#include "results/FileTypesRowView.h"
#include "results/FileTypesView.h"
#include "results/InspectorView.h"
#include "results/ShellActionButton.h"
#include "results/ShellDiskUsageSummary.h"
#include "results/ShellInspectorDetails.h"
#include "results/ShellShareBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QListView>
#include <QLocale>
#include <QRegularExpression>
#include <QPushButton>
#include <QToolButton>

#include <filesystem>
#include <fstream>

namespace plenwick::test {
namespace {

// /data: docs/{report.pdf, old/{a.txt}, empty/}, Locked (unreadable), notes.
class InspectorTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        report = file("report.pdf", 400);
        old = folder("old", {file("a.txt", 50)});
        empty = node("empty", FileNode::Kind::directory, 0);
        docs = folder("docs", {report, old, empty});
        locked = node("Locked", FileNode::Kind::inaccessible, 0);
        notes = file("notes", 100);
        root = folder("/data", {docs, locked, notes});
        state->finishScan(root, AppState::computeTypeStats(root));
        details = std::make_unique<ShellInspectorDetails>(*state);
        details->resize(270, 700);
    }
    void TearDown() override {
        details.reset();
        StateTest::TearDown();
    }
    void show(const NodeRef& n, bool fallback = false) { details->setNode(n, fallback); }

    NodeRef report, old, empty, docs, locked, notes, root;
    std::unique_ptr<ShellInspectorDetails> details;
};

TEST_F(InspectorTest, TheRootStandsInForTheSelectionWithoutShares) {
    show(root, true);
    EXPECT_EQ(details->captionText(), "CURRENT FOLDER");
    EXPECT_EQ(details->nameText(), "data");
    EXPECT_EQ(details->kindText(), "Folder");
    EXPECT_FALSE(details->parentShare()->isVisibleTo(details.get()));
    EXPECT_FALSE(details->scanShare()->isVisibleTo(details.get()));
    EXPECT_FALSE(details->collectButton()->isEnabled());
    EXPECT_FALSE(details->trashButton()->isEnabled());
    EXPECT_EQ(details->rescanButton()->accessibleName(), "Rescan");
    EXPECT_TRUE(details->rescanButton()->toolTip().startsWith("Scan everything again ("));
    EXPECT_EQ(details->pathText(), "/data");
    EXPECT_EQ(details->fact("Files"), "4");
    EXPECT_EQ(details->fact("Items inside"), "3");

    // A single scanned file says so; a selected item has no caption.
    show(notes, true);
    EXPECT_EQ(details->captionText(), "SCANNED FILE");
    show(notes, false);
    EXPECT_EQ(details->captionText(), "");
}

TEST_F(InspectorTest, SharesOfTheFolderAndOfTheScan) {
    show(docs);
    EXPECT_TRUE(details->parentShare()->isVisibleTo(details.get()));
    EXPECT_EQ(details->parentShare()->label(), "of “data”");
    EXPECT_DOUBLE_EQ(details->parentShare()->fraction(), 450.0 / 550.0);
    EXPECT_FALSE(details->scanShare()->isVisibleTo(details.get())); // a child of the root

    show(report);
    EXPECT_EQ(details->parentShare()->label(), "of “docs”");
    EXPECT_TRUE(details->scanShare()->isVisibleTo(details.get()));
    EXPECT_EQ(details->scanShare()->label(), "of scan");
    EXPECT_DOUBLE_EQ(details->scanShare()->fraction(), 400.0 / 550.0);

    // A parent of no size gives a full bar.
    NodeRef inside = file("zero", 0);
    empty->setChildren({inside});
    show(inside);
    EXPECT_DOUBLE_EQ(details->parentShare()->fraction(), 1.0);
    EXPECT_EQ(details->parentShare()->percentText(), "100%");
}

TEST_F(InspectorTest, FactsAndPathFollowTheKindOfNode) {
    show(report);
    EXPECT_EQ(details->fact(ShellInspectorDetails::logicalSizeLabel), "400 bytes");
    EXPECT_FALSE(details->fact("Files"));
    EXPECT_FALSE(details->fact("Items inside"));
    EXPECT_FALSE(details->fact("Modified")); // no date
    EXPECT_EQ(details->pathText(), "/data/docs/report.pdf");
    EXPECT_FALSE(details->rescanButton()->isVisibleTo(details.get()));

    // A date without its seconds.
    NodeRef dated = FileNode::make("dated.txt", FileNode::Kind::file, 10, 10, 1, 1.7e9 /* …:13:20 UTC */);
    docs->setChildren({report, old, empty, dated});
    show(dated);
    ASSERT_TRUE(details->fact("Modified"));
    EXPECT_FALSE(details->fact("Modified")->endsWith(":20")) << details->fact("Modified")->toStdString();
    // The date in the abbreviated style, then hours and minutes (noon UTC: the same
    // day in any zone).
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    NodeRef noon = FileNode::make("noon.txt", FileNode::Kind::file, 10, 10, 1, 1699963200);
    docs->setChildren({report, old, empty, noon});
    show(noon);
    QLocale::setDefault(QLocale::system());
    ASSERT_TRUE(details->fact("Modified"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Nov 14, 2023 \\d{1,2}:\\d{2}\\s?[AP]M$"))
                    .match(*details->fact("Modified"))
                    .hasMatch())
        << details->fact("Modified")->toStdString();

    // A name and path show their control characters and bad bytes as symbols.
    NodeRef odd = file("tab\tname\n\xFF.txt", 10);
    docs->setChildren({report, old, empty, odd});
    show(odd);
    EXPECT_EQ(details->nameText(), QString::fromUtf8("tab\u21E5name\u21B5\uFFFD.txt"));
    EXPECT_EQ(details->pathText(), QString::fromUtf8("/data/docs/tab\u21E5name\u21B5\uFFFD.txt"));

    // A folder's path is shown without its final separator and copied with it.
    show(old);
    EXPECT_EQ(details->pathText(), "/data/docs/old");
    details->copyPathButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "/data/docs/old/");
}

TEST_F(InspectorTest, AnUnreadableFolderExplainsItselfAndOnlyTheRootsActionsAreOff) {
    runUtilityJobs();
    show(locked);
    EXPECT_TRUE(details->unreadableNotice()->isVisibleTo(details.get()));
    EXPECT_EQ(details->kindText(), "Unreadable folder");
    EXPECT_FALSE(details->fact("Files"));
    EXPECT_TRUE(details->actionsSection()->isEnabled());
    EXPECT_EQ(utility->pendingCount(), 0u); // no lookup

    show(docs);
    EXPECT_FALSE(details->unreadableNotice()->isVisibleTo(details.get()));

    NodeRef lockedRoot = node("/private", FileNode::Kind::inaccessible, 0);
    state->finishScan(lockedRoot, {});
    show(lockedRoot, true);
    EXPECT_FALSE(details->actionsSection()->isEnabled());
}

TEST_F(InspectorTest, CollectedItemsAndTheirContentsShowUncollect) {
    state->syncCollector({docs});
    show(docs);
    details->refresh();
    EXPECT_EQ(details->collectButton()->text(), "Uncollect");
    EXPECT_TRUE(details->collectButton()->isEnabled());
    EXPECT_EQ(details->collectButton()->toolTip(), "Remove from Collector");
    show(report);
    EXPECT_EQ(details->collectButton()->text(), "Uncollect");
    EXPECT_FALSE(details->collectButton()->isEnabled());
    show(notes);
    EXPECT_EQ(details->collectButton()->text(), "Collect");
    EXPECT_TRUE(details->collectButton()->isEnabled());
}

TEST_F(InspectorTest, ARescannedFolderShowsItsProgressAndTheTrashAsksOnlyUnderTheRoot) {
    show(docs);
    EXPECT_EQ(details->rescanButton()->accessibleName(), "Rescan This Folder");
    EXPECT_TRUE(details->rescanButton()->toolTip().startsWith("Scan this folder again and update it in place ("));
    EXPECT_TRUE(details->trashButton()->isEnabled());
    details->trashButton()->click();
    EXPECT_EQ(state->pendingTrash(), docs);
    state->setPendingTrash({});

    // A node left over from an earlier tree asks nothing.
    NodeRef stray = file("stray", 5);
    NodeRef strayParent = folder("/old", {stray});
    show(stray);
    details->trashButton()->click();
    EXPECT_FALSE(state->pendingTrash());
}

TEST_F(InspectorTest, AKindLookedUpForAnEarlierNodeIsNeverShownForTheNext) {
    const std::string base = dir.path().toStdString();
    std::ofstream(base + "/paper.pdf") << "%PDF-1.4";
    std::ofstream(base + "/plain.txt") << "text";
    NodeRef pdf = file("paper.pdf", 8), txt = file("plain.txt", 4);
    NodeRef disk = folder(base, {pdf, txt});
    state->finishScan(disk, {});
    runUtilityJobs();

    show(pdf);
    const QString pdfFallback = details->kindText();
    EXPECT_EQ(pdfFallback, fileKindText(*pdf));
    show(txt);
    ASSERT_EQ(utility->pendingCount(), 2u);
    utility->runOldest(); // the pdf's answer arrives late
    deliver();
    EXPECT_EQ(details->kindText(), fileKindText(*txt));
    utility->runOldest();
    deliver();
    const std::optional<QString> described = lookUpKindDescription(base + "/plain.txt", FileNode::Kind::file);
    EXPECT_EQ(details->kindText(), described.value_or(fileKindText(*txt)));
    if (details->resolvedKind()) {
        EXPECT_EQ(details->resolvedKind()->node, txt.get());
    }
}

TEST(ShareBarPixels, TheFillClampsAndKeepsAStub) {
    ShellShareBar bar;
    bar.resize(200, bar.sizeHint().height());
    const QColor red(255, 0, 0);
    auto filled = [&bar, &red](double fraction) {
        bar.set(QStringLiteral("of scan"), fraction, red);
        const QImage image = bar.grab().toImage();
        const int y = static_cast<int>(bar.barRect().center().y());
        int reddish = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 120 && c.blue() < 120) ++reddish;
        }
        return reddish;
    };
    EXPECT_EQ(filled(0), 0);
    const int stub = filled(0.0001);
    EXPECT_GE(stub, 2);
    EXPECT_LE(stub, 5);
    const double width = bar.barRect().width();
    EXPECT_NEAR(filled(0.5), width / 2, 3);
    EXPECT_NEAR(filled(3.0), width, 3);
    EXPECT_EQ(bar.percentText(), "300%");
}

class InspectorViewTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        pdf = file("a.pdf", 300);
        png = file("b.png", 200);
        movie = file("c.mov", 100);
        sub = folder("sub", {png, movie});
        root = folder("/data", {pdf, sub});
        state->finishScan(root, AppState::computeTypeStats(root));
    }
    NodeRef pdf, png, movie, sub, root;
};

TEST_F(InspectorViewTest, TheSelectionThenTheFocusThenNothing) {
    InspectorView view(*state);
    view.resize(270, 800);
    EXPECT_TRUE(view.details()->isVisibleTo(&view));
    EXPECT_EQ(view.details()->node(), root);
    EXPECT_TRUE(view.details()->isFallback());
    state->select(png);
    EXPECT_EQ(view.details()->node(), png);
    EXPECT_FALSE(view.details()->isFallback());
    state->select({});
    EXPECT_EQ(view.details()->node(), root);
    EXPECT_GE(view.minimumWidth(), 240);
}

TEST_F(InspectorViewTest, TheCardNamesAVolumeScanOrTheFolderShare) {
    ShellDiskUsageSummary card(*state);
    card.refresh();
    EXPECT_TRUE(card.isHidden()); // no volume yet
    VolumeInfo data = volume("/", "Data", 1000, 400);
    state->setScanVolume(data);
    card.refresh();
    ASSERT_FALSE(card.isHidden());
    EXPECT_EQ(card.titleText(), state->isWholeVolumeScan() ? "Disk Usage" : "Share of “Data”");
    const std::vector<DiskUsageSegment>& segments = card.bar()->segments();
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.back().id, "free");
    EXPECT_EQ(card.legendRows().size(), segments.size());
    if (!state->isWholeVolumeScan()) {
        EXPECT_EQ(segments[0].title, "“data” (scanned)");
        EXPECT_EQ(card.legendRows()[0]->toolTip(), "Everything scanned in /data");
    }
}

TEST_F(InspectorViewTest, ClickingARowHighlightsItAndAgainRestoresTheColourMode) {
    state->setColorMode(ColorMode::byFolder);
    FileTypesView view(*state);
    view.resize(270, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_EQ(view.rows().size(), 3u); // documents, images, video
    EXPECT_EQ(view.summaryText(), "600 bytes · 3 files");

    auto clickRow = [&view](int index) {
        QListView* list = view.list();
        const QRect rect = list->visualRect(list->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    };
    clickRow(1); // images
    ASSERT_TRUE(state->typeFilter());
    EXPECT_EQ(*state->typeFilter(), TypeFilter::category(FileCategory::images));
    EXPECT_EQ(state->colorMode(), ColorMode::byKind);
    EXPECT_TRUE(view.highlightBar()->isVisible());
    EXPECT_TRUE(view.isHighlightBarShown());
    EXPECT_EQ(view.highlightText(), "Highlighting Images");
    clickRow(1);
    EXPECT_FALSE(state->typeFilter());
    EXPECT_EQ(state->colorMode(), ColorMode::byFolder);
    EXPECT_FALSE(view.isHighlightBarShown());
    ASSERT_TRUE(QTest::qWaitFor([&view] { return !view.highlightBar()->isVisible(); })); // once it has slid away

    // By extension, and the user's own choice of mode survives the end of the highlight.
    view.segmentButton(FileTypesSegment::extensions)->click();
    ASSERT_EQ(view.rows().size(), 3u);
    EXPECT_EQ(view.rows()[0].title, ".pdf");
    clickRow(0);
    EXPECT_EQ(state->colorMode(), ColorMode::byType);
    state->setColorMode(ColorMode::byKind);
    view.clearHighlightButton()->click();
    EXPECT_FALSE(state->typeFilter());
    EXPECT_EQ(state->colorMode(), ColorMode::byKind);
}

TEST_F(InspectorViewTest, LeavingTheResultsGivesBackTheColourModeButHidingTheInspectorDoesNot) {
    state->setColorMode(ColorMode::byFolder);
    FileTypesView view(*state);
    view.show();
    view.toggleHighlight(view.rows()[0]);
    EXPECT_EQ(state->colorMode(), ColorMode::byKind);
    view.hide(); // the inspector is hidden; the results stay
    EXPECT_EQ(state->colorMode(), ColorMode::byKind);
    view.show();
    state->setPhase(AppState::Phase::home());
    view.hide();
    EXPECT_EQ(state->colorMode(), ColorMode::byFolder);
}

TEST_F(InspectorViewTest, TheCurrentFolderIsComputedInTheBackground) {
    FileTypesView view(*state);
    view.setScope(FileTypesScope::currentFolder);
    EXPECT_EQ(view.rows().size(), 3u); // the focus is the root: the scan's statistics
    state->navigate(sub);
    EXPECT_TRUE(view.isLoadingFolder());
    EXPECT_TRUE(view.isShowingPlaceholder());
    EXPECT_EQ(view.placeholderText(), "Calculating…");
    EXPECT_EQ(view.scopeButton()->text(), "sub");
    runUserJobs();
    EXPECT_FALSE(view.isLoadingFolder());
    EXPECT_EQ(view.rows().size(), 2u);
    EXPECT_EQ(view.summaryText(), "300 bytes · 2 files");

    // Back and forth: the folder's statistics are kept.
    state->navigate(root);
    state->navigate(sub);
    EXPECT_FALSE(view.isLoadingFolder());
    EXPECT_EQ(userInitiated->pendingCount(), 0u);
}

TEST_F(InspectorViewTest, AnEmptyScanShowsNoFiles) {
    NodeRef nothing = node("/empty", FileNode::Kind::directory, 0);
    state->finishScan(nothing, {});
    FileTypesView view(*state);
    EXPECT_TRUE(view.isShowingPlaceholder());
    EXPECT_EQ(view.placeholderText(), "No Files");
    EXPECT_EQ(view.summaryText(), "Zero KB · 0 files");
}

} // namespace
} // namespace plenwick::test
