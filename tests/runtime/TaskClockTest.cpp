// The cancellable wait of GUI-thread tasks.
#include "runtime/TaskClock.h"
#include "runtime/ManualClock.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <stop_token>
#include <thread>

using namespace plenwick;
using namespace std::chrono_literals;

TEST(TaskSleep, ResumesOnceWhenTheTimeIsUpOrAsSoonAsItIsStopped) {
    ManualClock clock;
    QObject owner;
    std::stop_source running, stopped;
    int resumed = 0, stoppedResumed = 0;
    bool sawStop = false;
    taskSleep(clock, &owner, 100ms, running.get_token(), [&] { ++resumed; });
    taskSleep(clock, &owner, 100ms, stopped.get_token(), [&] {
        ++stoppedResumed;
        sawStop = stopped.stop_requested();
    });

    clock.advance(99ms);
    QCoreApplication::processEvents();
    EXPECT_EQ(resumed, 0);

    // A stop requested on another thread ends the wait on this one, early.
    std::thread([&] { stopped.request_stop(); }).join();
    EXPECT_EQ(stoppedResumed, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(stoppedResumed, 1);
    EXPECT_TRUE(sawStop);

    clock.advance(1ms);
    QCoreApplication::processEvents();
    EXPECT_EQ(resumed, 1);
    EXPECT_EQ(stoppedResumed, 1); // its time coming up later does not resume it again
    running.request_stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(resumed, 1);
}

TEST(TaskSleep, NothingRunsForAGoneOwner) {
    ManualClock clock;
    auto owner = std::make_unique<QObject>();
    QObject staying;
    std::stop_source stop, stayingStop;
    int resumed = 0, stayingResumed = 0;
    taskSleep(clock, owner.get(), 10ms, stop.get_token(), [&] { ++resumed; });
    taskSleep(clock, owner.get(), 10ms, std::stop_token(), [&] { ++resumed; });
    // Alongside, the same waits for an owner that stays: both resume.
    taskSleep(clock, &staying, 10ms, stayingStop.get_token(), [&] { ++stayingResumed; });
    taskSleep(clock, &staying, 10ms, std::stop_token(), [&] { ++stayingResumed; });
    stop.request_stop();
    stayingStop.request_stop();
    owner.reset();
    QCoreApplication::processEvents();
    clock.advance(10ms);
    QCoreApplication::processEvents();
    EXPECT_EQ(resumed, 0);
    EXPECT_EQ(stayingResumed, 2);
}

TEST(TaskSleep, TheProcessClockWaitsOnTheEventLoop) {
    QObject owner;
    bool resumed = false;
    taskSleep(TaskClock::standard(), &owner, 20ms, std::stop_token(), [&] { resumed = true; });
    EXPECT_FALSE(resumed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return resumed; }, 5000));
}
