#include "app/StateFixture.h"
#include "common/FakeDesktopOpener.h"
#include "home/HomeTexts.h"

#include "results/FileKindText.h"
#include "results/FileTypesRowView.h"
#include "results/FileTypesView.h"
#include "results/InspectorView.h"
#include "results/ShellActionButton.h"
#include "results/ShellDiskUsageSummary.h"
#include "results/ShellInspectorDetails.h"
#include "results/ShellShareBar.h"
#include "shell/ShellText.h"
#include "shell/WrappedToolTip.h"
#include "services/Formatters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QRegularExpression>
#include <QScrollArea>
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

    // Nothing is a share of a folder that holds nothing: a dash over an empty bar,
    // for its own folder and for a scan of no size alike.
    NodeRef inside = file("zero", 0);
    empty->setChildren({inside});
    show(inside);
    EXPECT_FALSE(details->parentShare()->hasShare());
    EXPECT_EQ(details->parentShare()->percentText(), "—");
}

TEST_F(InspectorTest, AnUnreadableFolderHasNoKnownSizeNorShare) {
    show(locked);
    EXPECT_EQ(details->sizeText(), "—");
    EXPECT_EQ(details->fact(ShellInspectorDetails::logicalSizeLabel), "—");
    EXPECT_TRUE(details->parentShare()->isVisibleTo(details.get()));
    EXPECT_EQ(details->parentShare()->percentText(), "—");
    // A readable neighbour keeps its figures.
    show(notes);
    EXPECT_NE(details->sizeText(), "—");
    EXPECT_EQ(details->parentShare()->percentText(), QString::fromStdString(formatPercent(100.0 / 550.0)));
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
    // It names the permissions that refused, as the scan failure does; no privacy
    // setting exists here to send the user to.
    QStringList notice;
    for (const QLabel* label : details->unreadableNotice()->findChildren<QLabel*>())
        if (!label->text().isEmpty()) notice << label->text();
    EXPECT_EQ(notice, QStringList{"Its permissions, or those of a folder above it, deny Plenwick access, so its "
                                  "contents (and their size) are missing from the scan."});
    EXPECT_TRUE(details->unreadableNotice()->findChildren<QAbstractButton*>().isEmpty());
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

TEST_F(InspectorTest, RevealAndOpenThatNothingTakesAreToldByTheWindowsAlert) {
    // No xdg-open at all: the thread sanitizer cannot follow its fork from this
    // process, and what xdg-open's answers say is the shell tests' business.
    FakeDesktopOpener opener;
    show(notes);
    details->openButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->lastError().has_value(); }, 10000));
    EXPECT_EQ(state->lastErrorTitle(), std::optional<std::string>("Couldn’t Open Item"));
    EXPECT_EQ(state->lastError(),
              std::optional<std::string>("notes: This system has no program that opens files (xdg-open is not installed)."));

    state->setLastError(std::nullopt);
    details->revealButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->lastError().has_value(); }, 10000));
    EXPECT_EQ(state->lastErrorTitle(), std::optional<std::string>("Couldn’t Reveal Item"));
    EXPECT_TRUE(state->lastError()->starts_with("notes: No file manager answered")) << *state->lastError();
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

TEST_F(InspectorTest, TheTrashsOwnItemsCanNeitherBeCollectedNorTrashed) {
    const NodeRef scan = trashBehindLinks();
    state->finishScan(scan, {});
    const NodeRef files = child(child(child(scan, "share"), "Trash"), "files");
    for (const NodeRef& n : {files, child(files, "old.txt")}) {
        show(n);
        EXPECT_FALSE(details->trashButton()->isEnabled()) << n->name();
        EXPECT_EQ(details->trashButton()->toolTip(), "It is part of the Trash.");
        EXPECT_FALSE(details->collectButton()->isEnabled()) << n->name();
        EXPECT_EQ(details->collectButton()->toolTip(), "It is part of the Trash.");
    }
    show(child(scan, "keep.txt"));
    EXPECT_TRUE(details->trashButton()->isEnabled());
    EXPECT_TRUE(details->trashButton()->toolTip().isEmpty());
    EXPECT_TRUE(details->collectButton()->isEnabled());
    EXPECT_TRUE(details->collectButton()->toolTip().startsWith("Add to Collector ("));
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

TEST_F(InspectorViewTest, AShortColumnGivesTheDetailsWhatTheBreakdownLeavesAboveIts170) {
    // A file's details want far more than 130 of a column 300 high: they get 130 and
    // scroll, the breakdown keeps 170; details that want less take only that.
    state->setScanVolume(volume("/", "Data", 1000, 400));
    InspectorView view(*state);
    view.resize(270, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    state->select(pdf);
    QApplication::processEvents();
    ASSERT_GT(view.upperPart()->heightForWidth(270), 130);
    EXPECT_EQ(view.upperPart()->height(), 130);
    EXPECT_EQ(view.lowerPart()->height(), 170);
    EXPECT_EQ(view.lowerPart()->y(), 130);
    // Cut at 130, no button shows cut: the scrolled area ends below its last whole row.
    const QRect shown = view.upperPart()->viewport()->geometry();
    EXPECT_LE(shown.bottom(), 129);
    for (const QAbstractButton* button : view.details()->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&view)) continue;
        const QRect at(button->mapTo(view.upperPart()->viewport(), QPoint(0, 0)), button->size());
        const QRect inside(QPoint(0, 0), shown.size());
        EXPECT_TRUE(inside.contains(at) || !inside.intersects(at)) << button->accessibleName().toStdString();
    }
    view.resize(270, 800);
    QApplication::processEvents();
    EXPECT_EQ(view.upperPart()->height(), view.upperPart()->heightForWidth(270)) << "room enough: all of it";
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
    EXPECT_TRUE(card.totalLabel()->toolTip().isEmpty()) << "no reserve, nothing to say";
    data.reservedCapacity = 50;
    state->setScanVolume(data);
    card.refresh();
    EXPECT_EQ(card.totalLabel()->toolTip(), wrappedToolTip(home::volumeSizeHelp(data)));
    if (!state->isWholeVolumeScan()) {
        EXPECT_EQ(segments[0].title, "“data” (scanned)");
        EXPECT_EQ(card.legendRows()[0]->toolTip(), "Everything scanned in /data");
    }
}

TEST_F(InspectorViewTest, TheCardAtTheDefaultWidthCutsNothingAndMarksHelpBesideItsTitle) {
    state->setScanVolume(volume("/", "File System", 270'550'000'000, 80'640'000'000));
    InspectorView view(*state);
    view.resize(270, 900);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QApplication::processEvents();
    ShellDiskUsageSummary* card = view.findChild<ShellDiskUsageSummary*>();
    ASSERT_TRUE(card && card->isVisible());
    QLabel* title = card->titleLabel();
    ASSERT_EQ(title->text(), "Share of “File System”");
    EXPECT_LE(title->heightForWidth(title->width()), title->height()) << "every line of the title shows";
    EXPECT_LT(title->geometry().right(), card->totalLabel()->geometry().left()) << "beside the capacity";
    EXPECT_EQ(card->totalLabel()->shownText(), card->totalLabel()->text());

    // A row with help: title, then its info mark, then the room before the size.
    QWidget* row = card->legendRows()[0];
    const QList<ShellText*> texts = row->findChildren<ShellText*>();
    QLabel* info = row->findChild<QLabel*>();
    ASSERT_EQ(texts.size(), 2);
    ASSERT_TRUE(info);
    EXPECT_LE(info->x() - texts[0]->geometry().right(), 8) << "the mark follows the title";
    EXPECT_EQ(texts[1]->geometry().right(), row->width() - 1) << "the size sits at the end";
    for (ShellText* text : texts) EXPECT_EQ(text->shownText(), text->text());
}

TEST_F(InspectorViewTest, ALargeScansSummaryTakesTwoLinesRatherThanBeingCut) {
    std::vector<FileTypeStat> stats{{"iso", FileCategory::diskImages, 189'910'000'000, 1'439'007, {0.5, 0.4, 0.3}}};
    state->finishScan(root, stats);
    InspectorView view(*state);
    view.resize(270, 800);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QApplication::processEvents();
    FileTypesView* types = view.findChild<FileTypesView*>();
    ASSERT_TRUE(types);
    const QString summary = types->summaryText();
    ASSERT_TRUE(summary.endsWith("1,439,007 files"));
    const QStringList lines = types->summaryLines();
    EXPECT_EQ(lines.size(), 2) << "too long for one line beside the scope menu at 270 points";
    EXPECT_EQ(lines.join(" "), summary) << "every character shows";
    EXPECT_EQ(types->rows()[0].subtitle, "1 type");
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
    // Shown anew, the breakdown remembers nothing of before: a highlight started now
    // is what leaving the results gives back.
    view.show();
    state->setTypeFilter(std::nullopt);
    state->setColorMode(ColorMode::byFolder);
    view.toggleHighlight(view.rows()[0]);
    EXPECT_EQ(state->colorMode(), ColorMode::byKind);
    state->setPhase(AppState::Phase::home());
    view.hide();
    EXPECT_EQ(state->colorMode(), ColorMode::byFolder);
}

TEST_F(InspectorViewTest, ShownAnewTheBreakdownStartsFromItsInitialValues) {
    FileTypesView view(*state);
    view.show();
    view.setSegment(FileTypesSegment::extensions);
    view.setScope(FileTypesScope::currentFolder);
    state->navigate(sub);
    runUserJobs();
    state->setColorMode(ColorMode::byFolder);
    view.toggleHighlight(view.rows()[0]);
    ASSERT_TRUE(view.colorModeMemory().saved);
    view.hide(); // the inspector is hidden
    view.show(); // and shown again
    EXPECT_EQ(view.segment(), FileTypesSegment::kinds);
    EXPECT_EQ(view.scope(), FileTypesScope::wholeScan);
    EXPECT_FALSE(view.colorModeMemory().saved);
    EXPECT_FALSE(view.isLoadingFolder());
    EXPECT_EQ(view.scopeButton()->text(), "Whole Scan");
    // The folder's statistics are computed again: the cache started empty too.
    view.setScope(FileTypesScope::currentFolder);
    EXPECT_TRUE(view.isLoadingFolder());
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
