// The sunburst's pictures where the picture is the point: arc colours in both
// appearances, the separators, stripes and dots, the overlay, and transition frames.
#include "charts/SunburstScenery.h"

#include "chartviews/SunburstArcsRenderer.h"
#include "chartviews/SunburstLabelPainter.h"
#include "chartviews/SunburstLabels.h"
#include "chartviews/SunburstOverlayLayer.h"
#include "chartviews/SunburstPainter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// The shared tree, docs and pic.png in colours of their own.
struct Scenery : SunburstScenery {
    NodeRef& root = focus;
    Scenery() {
        state.colors[docs.get()] = {0.2, 0.4, 0.8};
        state.colors[pic.get()] = {0.9, 0.3, 0.2};
    }
    std::shared_ptr<const SunburstScene> scene(const NodeRef& at = {}) {
        state.focusNode = at ? at : root;
        return make();
    }
};

// 400 points across, so the outer radius is 186.
const SunburstChartGeometry geometry = SunburstChartGeometry::forSize(QSizeF(400, 400));

QImage render(const SunburstScene& scene, const SunburstAppearance& appearance, double ratio = 1,
              const SunburstTransition* transition = nullptr, double progress = 1) {
    QImage image(QSize(400, 400) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    SunburstArcsRenderer().render(image, scene, transition, progress, geometry, appearance);
    return image;
}

// The point at an angular fraction and a fractional ring position.
QPointF polar(double angle, double ring, const SunburstLayout& layout) {
    const double a = 2 * std::numbers::pi * angle;
    const double r = layout.metrics.ringRadius(ring) * geometry.radius;
    return geometry.centre + QPointF(std::sin(a) * r, -std::cos(a) * r);
}

// The point in the middle of an arc, or `offset` of a turn past its start (labels sit
// in the middle of large arcs).
QPointF middle(const SunburstLayout& layout, const SunburstArc& arc, double offset = -1) {
    return polar(offset < 0 ? (arc.start + arc.end) / 2 : arc.start + offset, arc.ring + 0.5, layout);
}

QColor pixel(const QImage& image, const QPointF& at) {
    const double ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(at.x() * ratio), static_cast<int>(at.y() * ratio));
}

void expectColor(const QColor& actual, const QColor& expected, int tolerance = 2) {
    EXPECT_NEAR(actual.red(), expected.red(), tolerance) << actual.name().toStdString() << " vs " << expected.name().toStdString();
    EXPECT_NEAR(actual.green(), expected.green(), tolerance);
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance);
}

QColor fillOf(const SunburstScene& scene, const NodeRef& node, const SunburstAppearance& appearance) {
    return sunburstColor(sunburstFillColor(scene.style(scene.layout->index.at(node.get())), appearance));
}

double luminance(const QColor& c) { return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF(); }

// The lightest and darkest pixels in a square of `side` points around `at`.
std::pair<double, double> luminanceRange(const QImage& image, const QPointF& at, int side) {
    double lo = 1, hi = 0;
    for (int dy = -side / 2; dy <= side / 2; ++dy)
        for (int dx = -side / 2; dx <= side / 2; ++dx) {
            const double l = luminance(pixel(image, at + QPointF(dx, dy)));
            lo = std::min(lo, l);
            hi = std::max(hi, l);
        }
    return {lo, hi};
}

} // namespace

TEST(SunburstPictures, ArcsTakeTheirStyleColoursOverEitherBackground) {
    Scenery s;
    const auto scene = s.scene();
    const SunburstLayout& layout = *scene->layout;
    for (const SunburstAppearance* appearance : {&SunburstAppearance::light, &SunburstAppearance::dark}) {
        const QImage image = render(*scene, *appearance);
        // Away from the labels in their middles.
        expectColor(pixel(image, middle(layout, layout.rings[0][0], 0.03)), fillOf(*scene, s.docs, *appearance));
        const SunburstArc& pic = layout.arc(layout.index.at(s.pic.get()));
        expectColor(pixel(image, middle(layout, pic, 0.03)), fillOf(*scene, s.pic, *appearance));
        // The smaller items are dimmed towards this appearance's background.
        const SunburstArc& smaller = layout.rings[0][2];
        ASSERT_TRUE(smaller.isAggregate());
        const QColor dimmed = sunburstColor(sunburstFillColor(scene->styles[0][2], *appearance));
        expectColor(pixel(image, middle(layout, smaller)), dimmed);
        // Outside the rings and in the open centre: the background.
        expectColor(pixel(image, QPointF(3, 3)), sunburstColor(appearance->background));
        expectColor(pixel(image, geometry.centre), sunburstColor(appearance->background));
    }
    // The dimmed arc differs between the appearances: it fades towards each background.
    EXPECT_NE(sunburstColor(sunburstFillColor(scene->styles[0][2], SunburstAppearance::light)),
              sunburstColor(sunburstFillColor(scene->styles[0][2], SunburstAppearance::dark)));
}

TEST(SunburstPictures, SeparatorsShowTheBackgroundBetweenArcsAndRings) {
    Scenery s;
    const auto scene = s.scene();
    const SunburstLayout& layout = *scene->layout;
    // At two device pixels per point the 0.6-point separators have a clean middle.
    const QImage image = render(*scene, SunburstAppearance::light, 4);
    const QColor background = sunburstColor(SunburstAppearance::light.background);
    // Between docs and pic, at the middle radius of the inner ring.
    expectColor(pixel(image, polar(layout.rings[0][0].end, 0.5, layout)), background, 12);
    // Between the inner ring and the next, in docs.
    expectColor(pixel(image, polar(0.05, 1, layout)), background, 12);
}

TEST(SunburstPictures, CollectedArcsAreStripedAndHiddenSpaceDottedInTheAppearancesColours) {
    Scenery s;
    s.state.unattributed = 1000;
    s.state.collect(s.pic);
    const auto scene = s.scene();
    const SunburstLayout& layout = *scene->layout;
    const SunburstArc& hidden = layout.arc(*layout.hiddenSpaceArcRef());
    const QPointF picSpot = middle(layout, layout.arc(layout.index.at(s.pic.get())), 0.04);

    const QImage light = render(*scene, SunburstAppearance::light, 2);
    const double picFill = luminance(fillOf(*scene, s.pic, SunburstAppearance::light));
    auto [picLow, picHigh] = luminanceRange(light, picSpot, 6);
    EXPECT_GT(picHigh, picFill + 0.15); // white stripes
    auto [hiddenLow, hiddenHigh] = luminanceRange(light, middle(layout, hidden), 12);
    EXPECT_LT(hiddenLow, hiddenHigh - 0.05); // black dots
    // Arcs not collected stay plain.
    auto [docsLow, docsHigh] = luminanceRange(light, middle(layout, layout.rings[0][0], 0.04), 6);
    EXPECT_LT(docsHigh - docsLow, 0.02);

    const QImage dark = render(*scene, SunburstAppearance::dark, 2);
    const double darkFill = luminance(fillOf(*scene, s.pic, SunburstAppearance::dark));
    auto [darkLow, darkHigh] = luminanceRange(dark, picSpot, 6);
    EXPECT_LT(darkLow, darkFill - 0.05); // black stripes
    const double darkHidden = luminance(sunburstColor(sunburstFillColor(scene->style(*layout.hiddenSpaceArcRef()),
                                                                        SunburstAppearance::dark)));
    auto [dotLow, dotHigh] = luminanceRange(dark, middle(layout, hidden), 12);
    EXPECT_GT(dotHigh, darkHidden + 0.03); // white dots
}

TEST(SunburstPictures, AFocusWithOneChildIsAFullRingAroundAnOpenCentre) {
    NodeRef only = folder("only", {file("a", 10)});
    NodeRef root = folder("/one", {only});
    FakeChartState state;
    state.rootNode = state.focusNode = root;
    const auto scene = SunburstScene::make(state, root, nullptr);
    const QImage image = render(*scene, SunburstAppearance::light);
    const QColor fill = sunburstColor(sunburstFillColor(scene->styles[0][0], SunburstAppearance::light));
    const double r = (scene->layout->metrics.edges[0] + scene->layout->metrics.edges[1]) / 2 * geometry.radius;
    for (QPointF d : {QPointF(0, -r), QPointF(r, 0), QPointF(-r, 0), QPointF(r * 0.7, r * 0.7)})
        expectColor(pixel(image, geometry.centre + d), fill);
    expectColor(pixel(image, geometry.centre), sunburstColor(SunburstAppearance::light.background));
}

TEST(SunburstPictures, TheOverlayWashesTheHoveredArcItsContentsAndOutlinesTheSelection) {
    Scenery s;
    const auto scene = s.scene();
    const SunburstLayout& layout = *scene->layout;
    auto overlay = [&](std::optional<SunburstArcMatch> highlight, std::optional<SunburstArcMatch> selection) {
        QImage image(400, 400, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        drawSunburstOverlay(image, QPointF(0, 0), {scene, highlight, selection}, geometry, SunburstAppearance::light);
        return image;
    };
    const double h = SunburstAppearance::light.highlight;
    const SunburstArcRef docs = layout.index.at(s.docs.get()), sub = layout.index.at(s.sub.get());
    const SunburstArcRef pic = layout.index.at(s.pic.get());

    QImage image = overlay(SunburstArcMatch{docs, true}, std::nullopt);
    EXPECT_NEAR(pixel(image, middle(layout, layout.arc(docs))).alphaF(), h, 0.02);
    EXPECT_NEAR(pixel(image, middle(layout, layout.arc(sub))).alphaF(), h * 0.45, 0.02);
    EXPECT_EQ(pixel(image, middle(layout, layout.arc(pic))).alpha(), 0);

    // A file lights only its own arc; an arc that only stands for the node, more faintly.
    image = overlay(SunburstArcMatch{pic, true}, std::nullopt);
    EXPECT_NEAR(pixel(image, middle(layout, layout.arc(pic))).alphaF(), h, 0.02);
    image = overlay(SunburstArcMatch{docs, false}, std::nullopt);
    EXPECT_NEAR(pixel(image, middle(layout, layout.arc(docs))).alphaF(), h * 0.55, 0.02);
    EXPECT_EQ(pixel(image, middle(layout, layout.arc(sub))).alpha(), 0);

    // The selection: the outline colour on the arc's edge, nothing inside.
    image = overlay(std::nullopt, SunburstArcMatch{pic, true});
    const SunburstArc& p = layout.arc(pic);
    const QColor edge = pixel(image, polar((p.start + p.end) / 2, 1, layout));
    EXPECT_EQ(edge.alpha(), 255);
    expectColor(edge, sunburstColor(SunburstAppearance::light.outline), 30);
    EXPECT_EQ(pixel(image, middle(layout, p)).alpha(), 0);
}

TEST(SunburstPictures, AnOutlineIsDrawnOverTheWashOfTheArcItStandsFor) {
    Scenery s;
    const auto scene = s.scene();
    const SunburstLayout& layout = *scene->layout;
    QImage image(800, 800, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    drawSunburstOverlay(image, QPointF(0, 0),
                        {scene, SunburstArcMatch{layout.index.at(s.docs.get()), false}, std::nullopt}, geometry,
                        SunburstAppearance::light);
    const SunburstArc& docs = layout.arc(layout.index.at(s.docs.get()));
    const double wash = SunburstAppearance::light.highlight * 0.55;
    // Across the arc's outer edge: where the outline lies over the wash, both show.
    double strongest = 0;
    const double mid = (docs.start + docs.end) / 2;
    for (double r = docs.ring + 0.9; r <= docs.ring + 1.1; r += 0.005)
        strongest = std::max(strongest, static_cast<double>(pixel(image, polar(mid, r, layout)).alphaF()));
    EXPECT_GT(strongest, 0.55 + wash * 0.45 * 0.8) << "the outline laid over the wash, not in its place";
}

TEST(SunburstPictures, TransitionFramesAtChosenMoments) {
    Scenery s;
    const auto root = s.scene();
    const auto docs = s.scene(s.docs);
    const SunburstLayout& before = *root->layout;

    // A zoom into docs: at its start only the old scene shows; done, only the new.
    SunburstTransition zoom = SunburstTransition::between(root, *docs, 1);
    ASSERT_EQ(zoom.kind, SunburstTransition::Kind::zoomIn);
    const QImage start = render(*docs, SunburstAppearance::light, 1, &zoom, 0);
    expectColor(pixel(start, middle(before, before.arc(before.index.at(s.pic.get())), 0.03)),
                fillOf(*root, s.pic, SunburstAppearance::light));
    EXPECT_EQ(render(*docs, SunburstAppearance::light, 1, &zoom, 1), render(*docs, SunburstAppearance::light));
    // Its first frame is the settled picture of the old scene, smooth edges and all.
    {
        const QImage settled = render(*root, SunburstAppearance::light);
        int differing = 0;
        for (int y = 0; y < start.height(); ++y)
            for (int x = 0; x < start.width(); ++x)
                if (start.pixel(x, y) != settled.pixel(x, y)) ++differing;
        EXPECT_LT(differing, 50) << "zoom frames are antialiased as the still picture is";
    }

    // Moving, an arc's edge is smooth: across big.txt's outer edge into the background
    // the pixels pass through the shades between, where a hard edge would step.
    {
        const QImage moving = render(*docs, SunburstAppearance::light, 1, &zoom, 0.05);
        const QPointF inside = polar(0.05, 1.5, before), outside = polar(0.05, 2.6, before);
        const double from = luminance(pixel(moving, inside)), to = luminance(pixel(moving, outside));
        const double low = std::min(from, to), high = std::max(from, to), margin = 0.15 * (high - low);
        ASSERT_GT(high - low, 0.1);
        int between = 0;
        for (double t = 0; t <= 1; t += 0.002) {
            const double l = luminance(pixel(moving, inside + (outside - inside) * t));
            between += l > low + margin && l < high - margin;
        }
        EXPECT_GT(between, 0) << "an edge in a zoom frame is a blend, not a step";
    }

    // Halfway the window has shrunk to docs' span to the power ½ and the rings have
    // moved in by half a ring: just after 12 o'clock, where the old inner ring held
    // docs, the rings hold big.txt and sub, the old ring 1 and the new ring 0 on top.
    const SunburstFrame frame = zoom.frame(0.5);
    EXPECT_NEAR(frame.windowEnd - frame.windowStart, std::sqrt(0.6), 1e-9);
    EXPECT_NEAR(frame.ringShift, 0.5, 1e-9);
    const QImage half = render(*docs, SunburstAppearance::light, 1, &zoom, 0.5);
    const QColor grey = fillOf(*docs, s.bigTxt, SunburstAppearance::light);
    const QColor blue = fillOf(*root, s.docs, SunburstAppearance::light);
    const QColor seen = pixel(half, polar(0.03, 1.0, before));
    EXPECT_LT(std::abs(seen.red() - grey.red()) + std::abs(seen.blue() - grey.blue()), 40);
    EXPECT_GT(std::abs(seen.red() - blue.red()) + std::abs(seen.blue() - blue.blue()), 80);

    // A crossfade halfway: the new fills at about 0.802 over the old ones.
    s.state.mode = ColorMode::byType;
    s.state.colors[s.docs.get()] = {0.1, 0.9, 0.1};
    const auto recoloured = s.scene();
    SunburstTransition fade = SunburstTransition::between(root, *recoloured, 2);
    ASSERT_EQ(fade.kind, SunburstTransition::Kind::crossfade);
    const QImage mix = render(*recoloured, SunburstAppearance::light, 1, &fade, 0.5);
    const QColor from = fillOf(*root, s.docs, SunburstAppearance::light);
    const QColor to = fillOf(*recoloured, s.docs, SunburstAppearance::light);
    const double t = sunburstSmoothStep(0.5 / 0.7);
    const QColor expected = QColor::fromRgbF(static_cast<float>(from.redF() + (to.redF() - from.redF()) * t),
                                             static_cast<float>(from.greenF() + (to.greenF() - from.greenF()) * t),
                                             static_cast<float>(from.blueF() + (to.blueF() - from.blueF()) * t));
    expectColor(pixel(mix, middle(before, before.rings[0][0], 0.03)), expected, 3);
}

namespace {

// The label of a file named `name` on an arc (a wide one unless given), drawn alone
// on a clear image.
QImage labelPicture(std::string_view name, double ri = 100, double ro = 180, double a0 = 0.05, double a1 = 0.2) {
    SunburstArc arc;
    arc.node = file(name, 4096);
    arc.size = 4096;
    SunburstLabelArc label{&arc, {0.2, 0.4, 0.8}, false, ri, ro, a0, a1};
    QImage image(QSize(400, 400), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawSunburstLabel(painter, label, geometry.centre);
    return image;
}

int paintedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

} // namespace

TEST(SunburstPictures, LabelsShowControlCharactersAndBadBytesAsSymbols) {
    // A tab, a line break or bytes that are not UTF-8 neither hide the label nor cut
    // it: it reads as the visible form of the name.
    const std::pair<std::string_view, std::string_view> names[] = {
        {"tab\there.txt", "tab\u21E5here.txt"},
        {"line1\nline2.txt", "line1\u21B5line2.txt"},
        {"bad\xFF\xFE.txt", "bad\uFFFD\uFFFD.txt"},
    };
    for (const auto& [raw, shown] : names) {
        const QImage picture = labelPicture(raw);
        EXPECT_GT(paintedPixels(picture), 100) << raw;
        EXPECT_TRUE(picture == labelPicture(shown)) << raw;
    }
}

TEST(SunburstPictures, ArcsOfOneSizeAreLabelledWhateverTheLengthOfTheirNames) {
    // A ring 36 points thick, an arc of 40 degrees: a short name fits whole; a long
    // one, or one with a line feed or bad bytes, is shortened to fit, not left out.
    const auto on = [](std::string_view name) { return labelPicture(name, 110, 146, 0.02, 0.13); };
    EXPECT_GT(paintedPixels(on("notes.txt")), 100);
    for (std::string_view name : {std::string_view("a-rather-long-name-for-this-arc-of-a-ring.txt"),
                                  std::string_view("bad\xFF\xFEname-that-runs-on-and-on.txt"),
                                  std::string_view("line1\nline2-that-runs-on-and-on.txt")}) {
        EXPECT_GT(paintedPixels(on(name)), 100) << name;
    }
    // The room a name may take follows the arc: more on a longer one, none on a sliver.
    const QPointF centre(200, 200);
    const double room = sunburstLabelRoom(centre, 110, 146, 0.02, 0.13, 14);
    EXPECT_GT(room, 30);
    EXPECT_LT(room, 400);
    EXPECT_GT(sunburstLabelRoom(centre, 110, 146, 0.02, 0.30, 14), room);
    EXPECT_EQ(sunburstLabelRoom(centre, 110, 146, 0.02, 0.021, 14), 0);
    EXPECT_GT(sunburstLabelRoom(centre, 110, 180, 0, 1, 14), room) << "a full ring";
}
