#include "platform/MountWatcher.h"

#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>

namespace plenwick::test {
namespace {

// Mounting needs a mount namespace of its own, so that nothing leaks to the machine:
// the check runs in a child that makes one, mounts and unmounts a small tmpfs, and
// counts what its watcher heard.
std::string mountAndWatch() {
    if (::unshare(CLONE_NEWNS) != 0) return "cannot make a mount namespace";
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return "cannot make mounts private";
    int argc = 1;
    char name[] = "mount-watcher-test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    MountWatcher watcher;
    if (!watcher.isWatching()) return "the mount table is not watched";

    TempFolder point;
    int changes = 0;
    QEventLoop loop;
    QObject::connect(&watcher, &MountWatcher::mountsChanged, &loop, [&] {
        ++changes;
        loop.quit();
    });
    QTimer::singleShot(0, [&] { ::mount("tmpfs", point.path().c_str(), "tmpfs", 0, "size=64k"); });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    if (changes != 1) return "mounting was not noticed";

    QTimer::singleShot(0, [&] { ::umount(point.path().c_str()); });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    if (changes != 2) return "unmounting was not noticed";

    // Nothing more happens without a change.
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    return changes == 2 ? "" : "a change was reported twice";
}

TEST(MountWatcher, NoticesMountsAndUnmounts) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string outcome = mountAndWatch();
        if (!outcome.empty()) (void)!::write(fds[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string outcome;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) outcome.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(outcome, "");
}

TEST(MountWatcher, AMissingTableIsNotWatched) {
    MountWatcher watcher(QStringLiteral("/nonexistent/mountinfo"));
    EXPECT_FALSE(watcher.isWatching());
}

} // namespace
} // namespace plenwick::test
