// Reports kept out of observers' notifications: at once when nothing notifies, after
// the notification otherwise, in order, and never held up by a dropped report.
#include "runtime/AfterNotifying.h"

#include "runtime/ObservedFields.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace plenwick;

namespace {

struct Counter {
    enum class Field : int { value };
    using Observed = ObservedFields<Field>;
    std::function<void()> onTold;
    int value = 0;
    Observed observed{[this](Observed::Fields) {
        if (onTold) onTold();
    }};
    void bump() {
        Observed::Operation op(observed);
        observed.assign(value, value + 1, Field::value);
    }
};

} // namespace

TEST(AfterNotifying, ReportsWaitOnlyForANotificationAndKeepTheirOrder) {
    QObject context;
    std::vector<std::string> log;
    auto report = [&](std::string what) { return [&log, what] { log.push_back(what); }; };

    callAfterNotifying(&context, report("idle"));
    EXPECT_EQ(log, std::vector<std::string>{"idle"});

    // Made inside a notification, a report waits for the event loop; one made after it
    // but before the loop turns queues behind it rather than overtaking it.
    Counter counter;
    counter.onTold = [&] {
        EXPECT_TRUE(observersBeingNotified());
        callAfterNotifying(&context, report("inside"));
    };
    counter.bump();
    EXPECT_FALSE(observersBeingNotified());
    callAfterNotifying(&context, report("behind"));
    EXPECT_EQ(log.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"idle", "inside", "behind"}));

    // A report whose context went is dropped, and holds nothing up.
    auto gone = std::make_unique<QObject>();
    counter.onTold = [&] { callAfterNotifying(gone.get(), report("dropped")); };
    counter.bump();
    gone.reset();
    callAfterNotifying(&context, report("after"));
    EXPECT_EQ(log.back(), "after");
    QCoreApplication::processEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"idle", "inside", "behind", "after"}));

    // An observable destroyed by its observer still ends its notification.
    auto doomed = std::make_unique<Counter>();
    doomed->onTold = [&] { doomed.reset(); };
    doomed->bump();
    EXPECT_FALSE(observersBeingNotified());
}
