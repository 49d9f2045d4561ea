#include "app/HelperController.h"

#include "common/QtWarnings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace plenwick::test {
namespace {

// Runs the event loop for `ms` milliseconds or until `done` holds.
template <class Done>
void spin(int ms, Done done) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

TEST(SystemHelperProcesses, AnEndedCopyIsHeardOnceAndItsClosedHandleIsNotWatchedAfterwards) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::usleep(50 * 1000);
        ::_exit(0);
    }
    QtWarnings warnings;
    auto processes = makeSystemHelperProcesses(nullptr, "/nonexistent");
    int exits = 0;
    RunningApp copy;
    copy.pid = child;
    processes->watchExits({copy}, [&exits] { ++exits; });
    spin(5000, [&] { return exits > 0; });
    int status = 0;
    ::waitpid(child, &status, 0);
    // The loop polls again after the handle was closed; a notifier still on it warns.
    spin(200, [] { return false; });
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(warnings.containing(QStringLiteral("QSocketNotifier")).isEmpty())
        << warnings.containing(QStringLiteral("QSocketNotifier")).join('\n').toStdString();
}

} // namespace
} // namespace plenwick::test
