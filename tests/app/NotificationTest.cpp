// Each of the state's operations is one notification, and none may start while the
// state is notifying.

#include "StateFixture.h"

#include "app/FailureReport.h"
#include "runtime/OperationWhileNotifying.h"

using namespace plenwick;
using namespace plenwick::test;
using Field = AppState::Field;
using Kind = AppState::Phase::Kind;

namespace {

int reported = 0;
void countReport(const std::source_location&) { ++reported; }

class NotificationTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        root = folder("/scan", {file("a.pdf", 50), file("b.png", 20)});
        state->finishScan(root, AppState::computeTypeStats(root));
        settle();
        log.emitted.clear();
    }
    NodeRef root;
};

} // namespace

TEST_F(NotificationTest, AnOperationStartedInsideAChangedHandlerIsReported) {
    reported = 0;
    const OperationWhileNotifyingHandler previous = setOperationWhileNotifyingHandler(countReport);
    const auto connection = QObject::connect(state.get(), &AppState::changed, [this](quint64 fields) {
        if (fields & AppState::bit(Field::visualization)) state->setHovered(child(root, "a.pdf"));
    });
    // A nested operation within an operation is not re-entry; nor is one after it.
    state->addToCollector({child(root, "a.pdf")});
    state->setHovered(child(root, "b.png"));
    EXPECT_EQ(reported, 0);
    state->setVisualization(Visualization::treemap);
    QObject::disconnect(connection);
    setOperationWhileNotifyingHandler(previous);
    EXPECT_EQ(reported, 1);
}

TEST_F(NotificationTest, AHighlightSwitchesTheColourModeWithItsFilterAndItsEndGivesTheModeBack) {
    state->setColorMode(ColorMode::byFolder);
    const TypeFilter pdf = TypeFilter::fileExtension("pdf");
    log.emitted.clear();
    state->toggleTypeHighlight(pdf, ColorMode::byType);
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_EQ(log.emitted[0], AppState::bit(Field::colorMode) | AppState::bit(Field::typeFilter));
    EXPECT_EQ(state->colorMode(), ColorMode::byType);
    EXPECT_EQ(state->typeFilter(), pdf);

    // The same row again ends it, in one notification too.
    log.emitted.clear();
    state->toggleTypeHighlight(pdf, ColorMode::byType);
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_EQ(log.emitted[0], AppState::bit(Field::colorMode) | AppState::bit(Field::typeFilter));
    EXPECT_EQ(state->colorMode(), ColorMode::byFolder);
    EXPECT_FALSE(state->typeFilter());

    // Leaving the results ends what the breakdown remembered.
    state->toggleTypeHighlight(TypeFilter::category(FileCategory::images), ColorMode::byKind);
    state->goHome();
    EXPECT_EQ(state->colorMode(), ColorMode::byFolder);
    EXPECT_EQ(state->colorModeMemory(), ColorModeMemory{});
}

TEST_F(NotificationTest, ClosingTheResultsIsOneNotification) {
    state->closeResults();
    ASSERT_GE(log.emitted.size(), 1u);
    const auto first = log.emitted[0];
    EXPECT_TRUE(first & AppState::bit(Field::phase));
    EXPECT_TRUE(first & AppState::bit(Field::root));
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_EQ(state->root(), NodeRef());
    // What follows is the volumes read again in the background.
    for (std::size_t i = 1; i < log.emitted.size(); ++i) EXPECT_EQ(log.emitted[i] & ~AppState::bit(Field::volumes), 0u);
}

TEST_F(NotificationTest, AFailureReportedThroughTheStateIsOneAlertAndIsDroppedOnceTheStateIsGone) {
    const auto report = reportTo(*state);
    report(QStringLiteral("Couldn’t Open Item"), QStringLiteral("a.pdf: no application"));
    EXPECT_EQ(state->lastError(), "a.pdf: no application");
    EXPECT_EQ(state->lastErrorTitle(), "Couldn’t Open Item");
    ASSERT_EQ(log.emitted.size(), 1u);
    EXPECT_EQ(log.emitted[0], AppState::bit(Field::lastError) | AppState::bit(Field::lastErrorTitle));

    // A view may keep the report past the state it was made for.
    state.reset();
    report(QStringLiteral("Couldn’t Reveal Item"), QStringLiteral("b.png: gone"));
}
