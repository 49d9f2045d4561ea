// The change bookkeeping of observable objects: one notice per outermost operation,
// only for real changes, safe when the object goes mid-operation, and the GUI-thread
// check on in every build.
#include "runtime/ObservedFields.h"

#include "common/StrictState.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace plenwick;
using plenwick::test::CountedReentries;

namespace {

// A small observable object: two fields and a log of what it told.
struct Thing {
    enum class Field : int { name, count, flag };
    using Observed = ObservedFields<Field>;
    using Operation = Observed::Operation;
    static constexpr Observed::Fields bit(Field field) { return Observed::bit(field); }

    std::vector<Observed::Fields> told;
    std::function<void(Observed::Fields)> onTold; // an observer, run after logging
    std::string name;
    int count = 0;
    std::optional<bool> flagBefore;
    bool flag = false;
    Observed observed{[this](Observed::Fields fields) {
                          told.push_back(fields);
                          if (onTold) onTold(fields);
                      },
                      [this] {
                          // A flag that was switched and switched back tells nothing.
                          if (flagBefore && *flagBefore == flag) observed.forget(Field::flag);
                          flagBefore.reset();
                      }};

    void setName(std::string value) {
        Operation op(observed);
        observed.assign(name, std::move(value), Field::name);
    }
    void add(int n) {
        Operation op(observed);
        count += n;
        if (n) observed.touch(Field::count);
    }
    void setFlag(bool value) {
        Operation op(observed);
        if (!flagBefore) flagBefore = flag;
        observed.assign(flag, value, Field::flag);
    }
    // One operation made of others.
    void rename(std::string value, int n) {
        Operation op(observed);
        setName(std::move(value));
        add(n);
        EXPECT_EQ(told.size(), 0u) << "nothing is told before the outermost operation ends";
        EXPECT_EQ(observed.pending(), bit(Field::name) | bit(Field::count));
    }
};

} // namespace

TEST(ObservedFields, OneNoticePerOutermostOperationForWhatReallyChanged) {
    Thing thing;
    thing.rename("a", 2);
    EXPECT_EQ(thing.told, (std::vector<Thing::Observed::Fields>{Thing::bit(Thing::Field::name) |
                                                                Thing::bit(Thing::Field::count)}));
    thing.told.clear();

    thing.setName("a"); // the same value
    thing.add(0);       // nothing touched
    {
        Thing::Operation op(thing.observed);
        EXPECT_TRUE(thing.observed.inOperation());
    }
    EXPECT_TRUE(thing.told.empty());
    EXPECT_FALSE(thing.observed.inOperation());

    thing.setName("b");
    thing.setName("c");
    EXPECT_EQ(thing.told.size(), 2u) << "each outermost operation tells on its own";
    EXPECT_EQ(thing.observed.pending(), 0u);

    // A value that went and came back within one operation: `settle` takes the mark back.
    {
        Thing::Operation op(thing.observed);
        thing.setFlag(true);
        thing.setFlag(false);
    }
    EXPECT_EQ(thing.told.size(), 2u);
    thing.setFlag(true);
    EXPECT_EQ(thing.told.back(), Thing::bit(Thing::Field::flag));
}

TEST(ObservedFields, AnObserverThatReentersGetsANoticeOfItsOwn) {
    CountedReentries reports;
    Thing thing;
    std::vector<bool> notifyingSeen;
    thing.onTold = [&](Thing::Observed::Fields fields) {
        notifyingSeen.push_back(thing.observed.notifying());
        if (fields & Thing::bit(Thing::Field::name)) thing.add(1);
    };
    thing.setName("x");
    EXPECT_EQ(thing.told, (std::vector<Thing::Observed::Fields>{Thing::bit(Thing::Field::name),
                                                                Thing::bit(Thing::Field::count)}));
    EXPECT_EQ(notifyingSeen, (std::vector<bool>{true, true}));
    EXPECT_EQ(reports.count(), 1) << "the observer's operation is reported; nested ones are not";
    EXPECT_FALSE(thing.observed.notifying());
    thing.onTold = nullptr;
    thing.setName("y");
    EXPECT_EQ(thing.told.size(), 3u) << "after a re-entry the object tells as before";
}

TEST(ObservedFields, TheObjectMayGoDuringAnOperationOrWhileItTells) {
    // Dropped by one of its own callbacks, deep inside nested operations.
    auto thing = std::make_unique<Thing>();
    {
        Thing::Operation outer(thing->observed);
        {
            Thing::Operation inner(thing->observed);
            thing->setName("gone");
            thing.reset();
        }
    }
    EXPECT_FALSE(thing);

    // Dropped by an observer while it tells, from a notice of a re-entering operation.
    thing = std::make_unique<Thing>();
    int notices = 0;
    thing->onTold = [&](Thing::Observed::Fields fields) {
        ++notices;
        if (fields & Thing::bit(Thing::Field::name)) thing->add(1);
        else thing.reset();
    };
    thing->setName("x");
    EXPECT_EQ(notices, 2);
    EXPECT_FALSE(thing);
}

TEST(ObservedFieldsDeathTest, AnOperationOffTheGuiThreadStopsTheProgramNamingItsCaller) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Thing thing;
    EXPECT_DEATH(std::thread([&thing] { thing.setName("elsewhere"); }).join(),
                 "setName.* called off the GUI thread");
    // On the GUI thread the same call is fine.
    thing.setName("here");
    EXPECT_EQ(thing.name, "here");
}
