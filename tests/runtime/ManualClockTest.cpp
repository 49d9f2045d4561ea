// The clock tests move by hand: waits end in the order of their due times, time passes
// wait by wait, and a wait of an owner that is gone ends quietly.
#include "runtime/ManualClock.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace plenwick;
using namespace std::chrono_literals;

TEST(ManualClock, WaitsEndInTheOrderOfTheirDueTimes) {
    ManualClock clock;
    QObject owner;
    std::vector<std::string> woke;
    clock.schedule(300ms, &owner, [&] { woke.push_back("300"); });
    clock.schedule(100ms, &owner, [&] { woke.push_back("100"); });
    clock.schedule(100ms, &owner, [&] { woke.push_back("100 again"); });
    clock.advance(99ms);
    EXPECT_TRUE(woke.empty());
    EXPECT_EQ(clock.pendingCount(), 3u);
    clock.advance(201ms);
    EXPECT_EQ(woke, (std::vector<std::string>{"100", "100 again", "300"}));
    EXPECT_EQ(clock.now(), 300ms);
    EXPECT_EQ(clock.waits(), (std::vector<std::chrono::milliseconds>{300ms, 100ms, 100ms}));
}

TEST(ManualClock, APollingWaitRunsAsOftenAsItFitsInOneStep) {
    ManualClock clock;
    QObject owner;
    std::vector<std::chrono::milliseconds> seen;
    std::function<void()> poll = [&] {
        seen.push_back(clock.now());
        if (seen.size() < 10) clock.schedule(250ms, &owner, poll);
    };
    clock.schedule(250ms, &owner, poll);
    clock.advance(1s);
    EXPECT_EQ(seen, (std::vector<std::chrono::milliseconds>{250ms, 500ms, 750ms, 1000ms}));
    EXPECT_EQ(clock.now(), 1s);
    EXPECT_EQ(clock.pendingCount(), 1u);
    clock.forgetWaits();
    clock.advance(10s);
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(clock.waits().size(), 5u) << "the last poll asks for no wait";
}

TEST(ManualClock, AWaitOfAGoneOwnerEndsWithoutWaking) {
    ManualClock clock;
    auto owner = std::make_unique<QObject>();
    QObject staying;
    int woke = 0;
    clock.schedule(10ms, owner.get(), [&] { ++woke; });
    clock.schedule(10ms, &staying, [&] { woke += 10; });
    owner.reset();
    clock.advance(10ms);
    EXPECT_EQ(woke, 10) << "the same step does wake the owner that stayed";
    EXPECT_EQ(clock.pendingCount(), 0u);
}
