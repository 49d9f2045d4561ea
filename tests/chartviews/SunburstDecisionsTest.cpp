// What the sunburst view decides, without drawing: geometry and hit tests, label
// placement, clicks, drags, the centre disc's texts and the accessibility text.
#include "charts/SunburstScenery.h"

#include "chartviews/SunburstCentreDisc.h"
#include "chartviews/SunburstCentreInfo.h"
#include "chartviews/SunburstChartGeometry.h"
#include "chartviews/SunburstInput.h"
#include "chartviews/SunburstLabels.h"
#include "chartviews/SunburstTexts.h"
#include "platform/ByteCountFormatter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace plenwick;
using namespace plenwick::test;

namespace {

QString bytes(std::int64_t n) { return QString::fromStdString(formatByteCount(n)); }

class EnglishLocale : public ::testing::Test {
protected:
    void SetUp() override {
        saved = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override { QLocale::setDefault(saved); }
    QLocale saved;
};

// The shared tree, its root counting 1234 files.
struct Scenery : SunburstScenery {
    Scenery() { focus->setFileCount(1234); }
    std::shared_ptr<const SunburstScene> scene() { return make(); }
};

SunburstHit arcOf(const SunburstScene& scene, const NodeRef& node) {
    return SunburstHit::arc(scene.layout->index.at(node.get()));
}

} // namespace

TEST(SunburstGeometry, PlacesTheChartAndMapsPointsToPolarPositions) {
    const auto g = SunburstChartGeometry::forSize(QSizeF(828, 600));
    EXPECT_EQ(g.centre, QPointF(414, 300));
    EXPECT_DOUBLE_EQ(g.radius, 286);
    EXPECT_DOUBLE_EQ(SunburstChartGeometry::forSize(QSizeF(30, 500)).radius, 1);

    auto polar = [&](double dx, double dy) { return g.polar(g.centre + QPointF(dx, dy)); };
    EXPECT_NEAR(polar(0, -143).angle, 0, 1e-12);
    EXPECT_NEAR(polar(0, -143).radius, 0.5, 1e-12);
    EXPECT_NEAR(polar(100, 0).angle, 0.25, 1e-12); // clockwise on screen
    EXPECT_NEAR(polar(0, 100).angle, 0.5, 1e-12);
    EXPECT_NEAR(polar(-100, 0).angle, 0.75, 1e-12);
    EXPECT_NEAR(polar(-1, -1000).angle, 1 - std::atan2(1, 1000) / (2 * std::numbers::pi), 1e-12);

    // Separators follow the radius within 0.6…1.25 points.
    EXPECT_DOUBLE_EQ((SunburstChartGeometry{{}, 192}).separatorWidth(), 0.6);
    EXPECT_DOUBLE_EQ((SunburstChartGeometry{{}, 100}).separatorWidth(), 0.6);
    EXPECT_DOUBLE_EQ((SunburstChartGeometry{{}, 320}).separatorWidth(), 1.0);
    EXPECT_DOUBLE_EQ((SunburstChartGeometry{{}, 400}).separatorWidth(), 1.25);
    EXPECT_DOUBLE_EQ((SunburstChartGeometry{{}, 900}).separatorWidth(), 1.25);
}

TEST(SunburstLabels, TheFirstLayoutAndRotationThatFitsInsideTheArcWins) {
    const QPointF c(0, 0);
    const QSizeF two(60, 26), one(60, 14);
    // A wide arc with room for both lines upright.
    auto wide = placeSunburstLabel(c, 100, 200, 0, 0.25, two, one);
    ASSERT_TRUE(wide);
    EXPECT_TRUE(wide->twoLines);
    EXPECT_EQ(wide->rotation, 0);
    EXPECT_NEAR(wide->anchor.x(), std::sin(std::numbers::pi / 4) * 150, 1e-9);
    EXPECT_NEAR(wide->anchor.y(), -std::cos(std::numbers::pi / 4) * 150, 1e-9);

    // A ring too thin for two lines takes one line, along the ring.
    auto thin = placeSunburstLabel(c, 100, 130, 0.15, 0.35, two, one);
    ASSERT_TRUE(thin);
    EXPECT_FALSE(thin->twoLines);
    EXPECT_NEAR(thin->rotation, 2 * std::numbers::pi * 0.25, 1e-9);

    // In the lower half the text along the ring is turned by a half turn.
    auto lower = placeSunburstLabel(c, 100, 130, 0.3, 0.5, two, one);
    ASSERT_TRUE(lower);
    EXPECT_NEAR(lower->rotation, 2 * std::numbers::pi * 0.4 + std::numbers::pi, 1e-9);

    // A narrow, thick arc takes the text across the ring.
    auto across = placeSunburstLabel(c, 100, 200, 0.105, 0.145, QSizeF(60, 30), QSizeF(60, 12));
    ASSERT_TRUE(across);
    EXPECT_FALSE(across->twoLines);
    EXPECT_NEAR(across->rotation, 2 * std::numbers::pi * 0.125 - std::numbers::pi / 2, 1e-9);

    EXPECT_FALSE(placeSunburstLabel(c, 100, 110, 0.2, 0.21, two, one));

    // Text colour: dark on light fills, with a lower threshold under stripes.
    EXPECT_TRUE(sunburstLabelTextIsDark({0.8, 0.8, 0.8}, false));
    EXPECT_FALSE(sunburstLabelTextIsDark({0.7, 0.7, 0.7}, false));
    EXPECT_TRUE(sunburstLabelTextIsDark({0.6, 0.6, 0.6}, true));
    EXPECT_FALSE(sunburstLabelTextIsDark({0.45, 0.45, 0.45}, true));
    EXPECT_DOUBLE_EQ(sunburstLabelFontSize(20), 10);
    EXPECT_DOUBLE_EQ(sunburstLabelFontSize(40), 11.2);
    EXPECT_DOUBLE_EQ(sunburstLabelFontSize(80), 12);
}

TEST(SunburstCentre, ADetailThatCanFitByShrinkingIsNeverCut) {
    const QString detail = QStringLiteral("In Collector · 12% of gui-data");
    const double full = QFontMetricsF(sunburstFont(11, QFont::Normal, nullptr)).horizontalAdvance(detail);
    for (double width = std::ceil(full * 0.75); width < full; width += 1) {
        const QFont font = sunburstFontToFit(detail, 11, QFont::Normal, width, 0.7, nullptr);
        EXPECT_LE(QFontMetricsF(font).horizontalAdvance(detail), width) << "at " << width << " points";
    }
    // Below the least size it stays at the least, and the disc elides.
    const QFont least = sunburstFontToFit(detail, 11, QFont::Normal, 10, 0.7, nullptr);
    EXPECT_NEAR(least.pointSizeF(), sunburstFont(11 * 0.7, QFont::Normal, nullptr).pointSizeF(), 1e-6);
}

TEST(SunburstClicks, CountsMultiClicksWithinTheIntervalAndDistance) {
    SunburstClickCounter clicks;
    EXPECT_EQ(clicks.press({10, 10}, 1000, 400, 5), 1);
    EXPECT_EQ(clicks.press({11, 10}, 1200, 400, 5), 2);
    EXPECT_EQ(clicks.press({11, 11}, 1500, 400, 5), 3); // Qt would start over here
    EXPECT_EQ(clicks.press({11, 11}, 2000, 400, 5), 1); // too late
    EXPECT_EQ(clicks.press({30, 11}, 2100, 400, 5), 1); // too far
    EXPECT_EQ(clicks.press({30, 11}, 2000, 400, 5), 1); // time going backwards starts over
}

TEST(SunburstClicks, SelectFirstZoomOnTheSecondClickAndOnlyOncePerSequence) {
    Scenery s;
    const auto scene = s.scene();
    const SunburstLayout& layout = *scene->layout;
    using Kind = SunburstClickAction::Kind;
    bool zoomed = false;

    const SunburstHit docs = arcOf(*scene, s.docs);
    EXPECT_EQ(sunburstClickAction(layout, docs, false, zoomed, nullptr), (SunburstClickAction{Kind::select, s.docs}));
    EXPECT_EQ(sunburstClickAction(layout, docs, true, zoomed, s.docs.get()),
              (SunburstClickAction{Kind::navigate, s.docs}));
    EXPECT_TRUE(zoomed);
    // The third click of the sequence does nothing; a new sequence starts over.
    EXPECT_EQ(sunburstClickAction(layout, docs, true, zoomed, s.docs.get()).kind, Kind::nothing);
    EXPECT_EQ(sunburstClickAction(layout, docs, false, zoomed, s.docs.get()).kind, Kind::navigate);

    // A single click on the selected folder zooms; on a selected file it selects again.
    zoomed = false;
    EXPECT_EQ(sunburstClickAction(layout, docs, false, zoomed, s.docs.get()).kind, Kind::navigate);
    const SunburstHit pic = arcOf(*scene, s.pic);
    EXPECT_EQ(sunburstClickAction(layout, pic, true, zoomed = false, s.pic.get()),
              (SunburstClickAction{Kind::select, s.pic}));

    // The smaller-items arc of the inner ring stands for the focus: it selects the
    // focus and never zooms.
    const SunburstHit smaller = SunburstHit::arc({0, 2});
    ASSERT_TRUE(layout.arc(smaller.ref).isAggregate());
    EXPECT_EQ(sunburstClickAction(layout, smaller, true, zoomed = false, s.focus.get()),
              (SunburstClickAction{Kind::select, s.focus}));
    // One in an outer ring stands for its folder, which a second click zooms into.
    const auto inner = layout.arcRange(1, layout.arc(docs.ref).start, layout.arc(docs.ref).end);
    const SunburstHit docsSmaller = SunburstHit::arc({1, static_cast<int>(inner.last - 1)});
    ASSERT_TRUE(layout.arc(docsSmaller.ref).isAggregate());
    EXPECT_EQ(sunburstClickAction(layout, docsSmaller, true, zoomed = false, s.docs.get()).kind, Kind::navigate);

    // The centre zooms out when it can; outside the rings the selection goes.
    EXPECT_EQ(sunburstClickAction(layout, SunburstHit::centre(), true, zoomed, nullptr).kind, Kind::nothing);
    EXPECT_EQ(sunburstClickAction(layout, SunburstHit::none(), false, zoomed, s.pic.get()).kind,
              Kind::clearSelection);
    EXPECT_EQ(sunburstClickAction(layout, SunburstHit::none(), false, zoomed, nullptr).kind, Kind::nothing);

    // A folder without children only selects.
    NodeRef empty = folder("empty", {}, 500);
    NodeRef top = folder("/t", {empty, file("f", 500)});
    s.state.rootNode = s.state.focusNode = top;
    const auto topScene = s.scene();
    EXPECT_EQ(sunburstClickAction(*topScene->layout, arcOf(*topScene, empty), true, zoomed = false, empty.get()).kind,
              Kind::select);
    // Inside a zoomed folder the centre leads back to its parent.
    s.state.focusNode = s.docs;
    const auto docsScene = s.scene();
    EXPECT_EQ(sunburstClickAction(*docsScene->layout, SunburstHit::centre(), false, zoomed, nullptr),
              (SunburstClickAction{Kind::navigate, s.focus}));
}

TEST(SunburstClicks, OnlyNodesInsideTheTreeBelowTheRootAreDragged) {
    Scenery s;
    EXPECT_EQ(sunburstDragPath(s.xBin.get(), s.focus.get()), std::optional<std::string>("/f/docs/sub/x.bin"));
    EXPECT_FALSE(sunburstDragPath(s.focus.get(), s.focus.get()));
    EXPECT_FALSE(sunburstDragPath(nullptr, s.focus.get()));
    EXPECT_FALSE(sunburstDragPath(s.xBin.get(), nullptr));
    NodeRef elsewhere = folder("/g", {file("h", 1)});
    EXPECT_FALSE(sunburstDragPath(elsewhere->children()[0].get(), s.focus.get()));
}

using SunburstCentreInfoTest = EnglishLocale;

TEST_F(SunburstCentreInfoTest, DescribesTheFocusWithItsFileCount) {
    Scenery s;
    auto info = SunburstCentreInfo::make(*s.scene(), SunburstHit::none(), nullptr, s.state);
    EXPECT_EQ(info, (SunburstCentreInfo{"f", 1000, "1,234 files", std::nullopt, true}));
    EXPECT_TRUE(info.sizeKnown);
    s.focus->setFileCount(1);
    EXPECT_EQ(SunburstCentreInfo::make(*s.scene(), SunburstHit::none(), nullptr, s.state).detail, "1 file");
    s.focus->setFileCount(0);
    EXPECT_EQ(SunburstCentreInfo::make(*s.scene(), SunburstHit::centre(), s.focus.get(), s.state).detail, "0 files");

    // A focus inside a collected folder says so, without a symbol.
    s.state.focusNode = s.docs;
    s.state.collect(s.focus);
    info = SunburstCentreInfo::make(*s.scene(), SunburstHit::none(), nullptr, s.state);
    EXPECT_EQ(info.detail, "In Collector · 12 files");
    EXPECT_EQ(info.symbol, std::nullopt);
    EXPECT_TRUE(info.isFocus);
}

TEST_F(SunburstCentreInfoTest, DescribesTheArcOrTheNodeUnderThePointer) {
    Scenery s;
    s.state.unattributed = 1000;
    const auto scene = s.scene();
    const SunburstLayout& layout = *scene->layout;

    auto info = SunburstCentreInfo::make(*scene, arcOf(*scene, s.docs), nullptr, s.state);
    EXPECT_EQ(info, (SunburstCentreInfo{"docs", 600, "60% of f", Symbol::folderFill, false}));
    info = SunburstCentreInfo::make(*scene, arcOf(*scene, s.pic), nullptr, s.state);
    EXPECT_EQ(info.symbol, std::nullopt);
    EXPECT_EQ(info.detail, "30% of f");

    info = SunburstCentreInfo::make(*scene, SunburstHit::arc({0, 2}), nullptr, s.state);
    EXPECT_EQ(info, (SunburstCentreInfo{"100 smaller items", 100, "10% of f", Symbol::ellipsis, false}));
    // One smaller item is one.
    {
        auto single = std::make_shared<SunburstLayout>(layout);
        single->rings[0][2].aggregateCount = 1;
        SunburstScene one = *scene;
        one.layout = single;
        EXPECT_EQ(SunburstCentreInfo::make(one, SunburstHit::arc({0, 2}), nullptr, s.state).title, "1 smaller item");
    }

    // The hidden space's share is of the focus and the hidden space together.
    const SunburstHit hidden = SunburstHit::arc(*layout.hiddenSpaceArcRef());
    info = SunburstCentreInfo::make(*scene, hidden, nullptr, s.state);
    EXPECT_EQ(info, (SunburstCentreInfo{"Hidden space", 1000, "50% of used space", Symbol::eyeSlash, false}));

    // A node hovered elsewhere is described by its own figures, also when it only has
    // an arc that stands for it; a node outside the focus leaves the focus on show.
    const FileNode* merged = s.docs->children()[5].get();
    info = SunburstCentreInfo::make(*scene, SunburstHit::none(), merged, s.state);
    EXPECT_EQ(info.size, 1);
    EXPECT_EQ(info.detail, "0.1% of f");
    NodeRef outside = file("other", 5);
    EXPECT_TRUE(SunburstCentreInfo::make(*scene, SunburstHit::none(), outside.get(), s.state).isFocus);
    // The arc under the pointer wins over the hovered node.
    EXPECT_EQ(SunburstCentreInfo::make(*scene, arcOf(*scene, s.pic), merged, s.state).title, "pic.png");

    // Collected items, and items inside collected folders, carry the tray.
    s.state.collect(s.docs);
    const auto collected = s.scene();
    info = SunburstCentreInfo::make(*collected, arcOf(*collected, s.sub), nullptr, s.state);
    EXPECT_EQ(info.detail, "In Collector · 19% of f");
    EXPECT_EQ(info.symbol, Symbol::trayFullFill);
}

TEST_F(SunburstCentreInfoTest, AFocusOfSizeZeroDividesByOne) {
    NodeRef zero = file("z", 0);
    NodeRef focus = folder("/e", {zero}, 0);
    FakeChartState state;
    state.rootNode = state.focusNode = focus;
    state.unattributed = 40;
    const auto scene = SunburstScene::make(state, focus, nullptr);
    ASSERT_TRUE(scene->layout->hiddenSpaceArcRef());
    // Nothing of an empty focus has an arc: a hovered child leaves the focus on show.
    EXPECT_TRUE(SunburstCentreInfo::make(*scene, SunburstHit::none(), zero.get(), state).isFocus);
    const SunburstHit hidden = SunburstHit::arc(*scene->layout->hiddenSpaceArcRef());
    EXPECT_EQ(SunburstCentreInfo::make(*scene, hidden, nullptr, state).detail, "100% of used space");
}

using SunburstTextsTest = EnglishLocale;

TEST_F(SunburstTextsTest, TheAccessibilityTextNamesTheFocusItsLargestItemsAndTheHiddenSpace) {
    FakeChartState state;
    NodeRef lone = folder("/lone", {}, 10);
    state.rootNode = state.focusNode = lone;
    EXPECT_EQ(sunburstAccessibilityLabel(*SunburstScene::make(state, lone, nullptr)->layout),
              "Sunburst chart of lone, " + bytes(10) + ".");
    state.unattributed = 5000;
    EXPECT_EQ(sunburstAccessibilityLabel(*SunburstScene::make(state, lone, nullptr)->layout),
              "Sunburst chart of lone, " + bytes(10) + ". Hidden space: " + bytes(5000) + ".");

    // Seven children: the five largest, with their shares.
    std::vector<NodeRef> seven;
    for (int i = 0; i < 7; ++i) seven.push_back(file("n" + std::to_string(i), 1000 - i * 100));
    NodeRef many = folder("/many", seven);
    state.rootNode = state.focusNode = many;
    state.unattributed = 0;
    QString expected = "Sunburst chart of many, " + bytes(4900) + ". Largest items: n0, " + bytes(1000) + ", 20%; n1, " +
                       bytes(900) + ", 18%; n2, " + bytes(800) + ", 16%; n3, " + bytes(700) + ", 14%; n4, " +
                       bytes(600) + ", 12%.";
    EXPECT_EQ(sunburstAccessibilityLabel(*SunburstScene::make(state, many, nullptr)->layout), expected);

    // An inner ring of only smaller items and hidden space lists no items.
    NodeRef dust = folder("/dust", files(2000, 1));
    state.rootNode = state.focusNode = dust;
    state.unattributed = 100;
    EXPECT_EQ(sunburstAccessibilityLabel(*SunburstScene::make(state, dust, nullptr)->layout),
              "Sunburst chart of dust, " + bytes(2000) + ". Hidden space: " + bytes(100) + ".");
}

TEST(SunburstCentreDisc, TypeScaleAndTitleLines) {
    EXPECT_DOUBLE_EQ(SunburstDiscScale::forDiameter(82.5).scale, 0.5);
    EXPECT_DOUBLE_EQ(SunburstDiscScale::forDiameter(60).scale, 0.5);
    EXPECT_DOUBLE_EQ(SunburstDiscScale::forDiameter(165).scale, 1);
    EXPECT_DOUBLE_EQ(SunburstDiscScale::forDiameter(200).scale, 1);
    EXPECT_TRUE(SunburstDiscScale::forDiameter(95).compact);
    EXPECT_FALSE(SunburstDiscScale::forDiameter(96).compact);

    QFont font;
    font.setPixelSize(13);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(QStringLiteral("Documents and more"));
    EXPECT_EQ(sunburstTitleLines("Short", metrics, width, 2), QStringList{"Short"});

    const QString longName = "Documents and more documents and the very end.txt";
    const QStringList one = sunburstTitleLines(longName, metrics, width, 1);
    ASSERT_EQ(one.size(), 1);
    EXPECT_TRUE(one[0].contains(QChar(0x2026)));
    EXPECT_TRUE(one[0].startsWith("Doc"));
    EXPECT_TRUE(one[0].endsWith("txt"));

    const QStringList two = sunburstTitleLines(longName, metrics, width, 2);
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[0], "Documents and more");
    EXPECT_TRUE(two[1].startsWith(QChar(0x2026)));
    EXPECT_TRUE(two[1].endsWith("end.txt"));
    for (const QString& line : two) EXPECT_LE(metrics.horizontalAdvance(line), width + 0.01);
    // Two lines that fit need no ellipsis.
    EXPECT_EQ(sunburstTitleLines("Documents and more files", metrics, width, 2),
              (QStringList{"Documents and more", "files"}));
}
