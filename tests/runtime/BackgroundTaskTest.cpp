// The task helper on a real thread pool: outcomes, failures and a vanished owner.
#include "runtime/BackgroundTask.h"
#include "runtime/Executor.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace plenwick;

namespace {

std::string messageOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "?";
    }
}

} // namespace

TEST(BackgroundTask, OutcomesAndFailuresOfPoolJobsArriveOnTheGuiThread) {
    ThreadPoolExecutor pool(2);
    QObject owner;
    QThread* const gui = QThread::currentThread();
    int delivered = 0;
    std::vector<std::string> failures;
    bool offThread = false;
    for (int i = 0; i < 8; ++i) {
        runInBackground(
            pool, &owner,
            [i, gui, &offThread] {
                if (QThread::currentThread() != gui) offThread = true;
                if (i % 2) throw std::runtime_error("job " + std::to_string(i));
                return std::make_unique<int>(i); // a result that can only move
            },
            [&, gui](std::unique_ptr<int> value) {
                EXPECT_EQ(QThread::currentThread(), gui);
                EXPECT_EQ(*value % 2, 0);
                ++delivered;
            },
            [&, gui](std::exception_ptr error) {
                EXPECT_EQ(QThread::currentThread(), gui);
                failures.push_back(messageOf(error));
            });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered + failures.size() == 8; }, 10000));
    EXPECT_TRUE(offThread);
    EXPECT_EQ(delivered, 4);
    std::sort(failures.begin(), failures.end());
    EXPECT_EQ(failures, (std::vector<std::string>{"job 1", "job 3", "job 5", "job 7"}));
}

TEST(BackgroundTask, NothingArrivesForAnOwnerThatIsGone) {
    ThreadPoolExecutor pool(1);
    auto owner = std::make_unique<QObject>();
    bool called = false;
    runInBackground(
        pool, owner.get(), []() -> int { throw std::runtime_error("late"); }, [&](int) { called = true; },
        [&](std::exception_ptr) { called = true; });
    runInBackground(
        pool, owner.get(), [] { return 1; }, [&](int) { called = true; }, [&](std::exception_ptr) { called = true; });
    pool.waitForDone();
    owner.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);

    // The same wait does deliver to an owner that stays.
    QObject staying;
    int delivered = 0;
    runInBackground(
        pool, &staying, []() -> int { throw std::runtime_error("late"); }, [&](int) {},
        [&](std::exception_ptr) { ++delivered; });
    runInBackground(
        pool, &staying, [] { return 1; }, [&](int) { ++delivered; }, [&](std::exception_ptr) {});
    pool.waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 2);
}
