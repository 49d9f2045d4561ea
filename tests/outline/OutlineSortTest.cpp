// The outline's orderings: keys and descriptors, tie-breaks, stored-order shortcuts,
// dates that are not numbers, and the language's name order.

#include "OutlineTestTree.h"
#include "outline/LocaleNameCollation.h"
#include "outline/OutlineFolderOrders.h"
#include "outline/OutlineSort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace plenwick::test {
namespace {

const PlainCollation plain;

TEST(OutlineSortTest, DescriptorsMapToOrderings) {
    EXPECT_EQ(OutlineSort::fromSortDescriptor(std::nullopt), (OutlineSort{OutlineSortKey::size, false}));
    EXPECT_EQ(OutlineSort::fromSortDescriptor(OutlineSortDescriptor{"share", true}), (OutlineSort{OutlineSortKey::size, true}));
    EXPECT_EQ(OutlineSort::fromSortDescriptor(OutlineSortDescriptor{"name", true}), (OutlineSort{OutlineSortKey::name, true}));
    EXPECT_EQ(OutlineSort::fromSortDescriptor(OutlineSortDescriptor{"modified", false}),
              (OutlineSort{OutlineSortKey::modified, false}));
    // Anything else, even with ascending asked for, is the default.
    EXPECT_EQ(OutlineSort::fromSortDescriptor(OutlineSortDescriptor{"Size", true}), OutlineSort{});
    EXPECT_EQ(OutlineSort::fromSortDescriptor(OutlineSortDescriptor{"", true}), OutlineSort{});
    for (OutlineSortKey key : allOutlineSortKeys) EXPECT_EQ(outlineSortKeyFromRaw(rawValue(key)), key);
    EXPECT_FALSE(outlineSortKeyFromRaw("share"));
}

TEST(OutlineSortTest, TiesGoLargerFirstThenNamesAToZInBothDirections) {
    // Same item count and date: larger first, then by name, whatever the direction.
    NodeRef folder = dir("f", {file("b", 10, 5), file("a", 10, 5), file("c", 20, 5), file("d", 1, 9)});
    for (bool ascending : {true, false}) {
        const OutlineSort byItems{OutlineSortKey::items, ascending};
        EXPECT_EQ(namesOf(byItems.sortedChildren(*folder, plain)), (std::vector<std::string>{"c", "a", "b", "d"}));
        const OutlineSort byDate{OutlineSortKey::modified, ascending};
        EXPECT_EQ(namesOf(byDate.sortedChildren(*folder, plain)),
                  ascending ? (std::vector<std::string>{"c", "a", "b", "d"}) : (std::vector<std::string>{"d", "c", "a", "b"}));
    }
    // By name: equal names go larger first; equal names of equal size keep their order.
    std::vector<NodeRef> nodes{file("x", 1), file("X", 5), file("x", 5), file("a", 1)};
    const FileNode* firstFive = nodes[1].get();
    OutlineSort{OutlineSortKey::name, true}.sort(nodes, plain);
    EXPECT_EQ(namesOf(nodes), (std::vector<std::string>{"a", "X", "x", "x"}));
    EXPECT_EQ(nodes[1].get(), firstFive);
    OutlineSort{OutlineSortKey::name, false}.sort(nodes, plain);
    EXPECT_EQ(namesOf(nodes), (std::vector<std::string>{"X", "x", "x", "a"}));
}

TEST(OutlineSortTest, SizeOrdersComeFromStoredOrder) {
    NodeRef folder = dir("f", {file("b", 10), file("a", 10), file("c", 30)});
    // Stored: c, a, b. Ascending is the reversal, so equal sizes come Z to A.
    EXPECT_EQ(namesOf(OutlineSort{}.sortedChildren(*folder, plain)), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(namesOf(OutlineSort{OutlineSortKey::size, true}.sortedChildren(*folder, plain)),
              (std::vector<std::string>{"b", "a", "c"}));
}

TEST(OutlineSortTest, DatesThatAreNotNumbersCountAsZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<NodeRef> nodes;
    for (int i = 0; i < 200; ++i)
        nodes.push_back(file("n" + std::to_string(i), i % 7, i % 3 == 0 ? nan : double(i % 5)));
    const OutlineSort byDate{OutlineSortKey::modified, true};
    // A strict weak ordering: irreflexive and asymmetric on every pair.
    for (const NodeRef& a : nodes) {
        EXPECT_FALSE(byDate.areInIncreasingOrder(*a, *a, plain));
        for (const NodeRef& b : nodes)
            ASSERT_FALSE(byDate.areInIncreasingOrder(*a, *b, plain) && byDate.areInIncreasingOrder(*b, *a, plain));
    }
    byDate.sort(nodes, plain);
    auto dateOf = [](const NodeRef& n) { return std::isnan(n->modified()) ? 0.0 : n->modified(); };
    for (std::size_t i = 1; i < nodes.size(); ++i) ASSERT_LE(dateOf(nodes[i - 1]), dateOf(nodes[i]));
    EXPECT_EQ(dateOf(nodes.front()), 0.0);
}

TEST(OutlineSortTest, LongListsSortAsTheComparatorSays) {
    // Long lists rank their names first; the result must equal a plain stable sort.
    std::mt19937 random(7);
    std::vector<NodeRef> nodes;
    for (int i = 0; i < 500; ++i) {
        std::string name(1 + random() % 3, 'a');
        for (char& c : name) c = "aAbB"[random() % 4];
        nodes.push_back(file(name, random() % 4, double(random() % 3)));
    }
    for (OutlineSortKey key : allOutlineSortKeys)
        for (bool ascending : {true, false}) {
            const OutlineSort sort{key, ascending};
            std::vector<NodeRef> expected = nodes, actual = nodes;
            std::stable_sort(expected.begin(), expected.end(),
                             [&](const NodeRef& a, const NodeRef& b) { return sort.areInIncreasingOrder(*a, *b, plain); });
            sort.sort(actual, plain);
            ASSERT_EQ(expected, actual) << rawValue(key) << " ascending " << ascending;
        }
}

TEST(OutlineSortTest, NamesFollowTheLanguageNumbersByValueAndIgnoreCase) {
    const LocaleNameCollation english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_LT(english.compare("Disk 9", "Disk 10"), 0);
    EXPECT_LT(english.compare("apple", "Banana"), 0);
    EXPECT_EQ(english.compare("README", "readme"), 0);
    EXPECT_LT(english.compare("resume", "résumé"), 0);  // accents still count
    // Ranks agree with the comparison, for a list long enough to be ranked.
    std::vector<NodeRef> nodes;
    for (int i = 60; i > 0; --i) nodes.push_back(file("Photo " + std::to_string(i) + (i % 2 ? ".JPG" : ".jpg"), 1));
    nodes.push_back(file("photo 7.jpg", 1));
    OutlineSort{OutlineSortKey::name, true}.sort(nodes, english);
    EXPECT_EQ(nodes[0]->name(), "Photo 1.JPG");
    EXPECT_EQ(nodes[1]->name(), "Photo 2.jpg");
    EXPECT_EQ(nodes[59]->name(), "Photo 59.JPG");
    EXPECT_EQ(nodes[60]->name(), "Photo 60.jpg");
    // "photo 7.jpg" equals "Photo 7.JPG" but for case: equal size, so stored order.
    EXPECT_EQ(nodes[6]->name(), "Photo 7.JPG");
    EXPECT_EQ(nodes[7]->name(), "photo 7.jpg");
}

TEST(OutlineSortTest, FolderOrdersFoundOffTheTreeEqualTheSortEvenForTrickyNames) {
    // Equal sizes and dates, case, accents composed and not, numbers, invalid UTF-8.
    const std::vector<std::string> stems = {"Résumé", "Re\xcc\x81sume\xcc\x81", "resume", "RESUME", "Disk 9", "disk 10",
                                            "bad\xff\xfe", "bad\xc3", "", "_x", "Ωmega", "ωmega"};
    std::mt19937 random(11);
    std::vector<NodeRef> many;
    for (int i = 0; i < 300; ++i)
        many.push_back(file(stems[random() % stems.size()] + (i % 4 ? "" : std::to_string(random() % 12)),
                            random() % 3, double(random() % 2)));
    std::vector<NodeRef> few(many.begin(), many.begin() + 20);
    const NodeRef wide = dir("wide", many), narrow = dir("narrow", few);
    const LocaleNameCollation english(QLocale(QLocale::English, QLocale::UnitedStates));
    for (OutlineSortKey key : {OutlineSortKey::name, OutlineSortKey::items, OutlineSortKey::modified})
        for (bool ascending : {true, false}) {
            const OutlineSort sort{key, ascending};
            const OutlineFolderOrders orders = orderFolderChildren(sort, {wide, narrow}, english);
            ASSERT_TRUE(orders.complete);
            ASSERT_EQ(orders.folders.size(), 2u);
            EXPECT_EQ(orders.folders[0].folder, wide);
            EXPECT_EQ(orders.folders[0].children, sort.sortedChildren(*wide, english)) << rawValue(key) << ascending;
            EXPECT_EQ(orders.folders[1].children, sort.sortedChildren(*narrow, english)) << rawValue(key) << ascending;
        }
    // Asked to stop, it gives up.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(orderFolderChildren({OutlineSortKey::name, true}, {wide}, english, stop.get_token()).complete);
}

} // namespace
} // namespace plenwick::test
