#include "base/ProcessorCount.h"
#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <sched.h>

using namespace plenwick;

TEST(Utf8, InvalidSequencesBecomeOneReplacementEach) {
    EXPECT_TRUE(isValidUtf8("caf\xC3\xA9"));
    EXPECT_FALSE(isValidUtf8("a\xFF" "b"));
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")); // a surrogate
    EXPECT_EQ(repairUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    // A truncated three-byte sequence is one maximal subpart: one replacement.
    EXPECT_EQ(repairUtf8("\xE2\x82" "x"), "\xEF\xBF\xBD" "x");
    EXPECT_EQ(asciiLower("ÄBc"), "Äbc");
}

TEST(Utf8, VisibleTextShowsEveryControlAndKeepsTheRestOfTheName) {
    EXPECT_EQ(visibleText("plain name.txt"), "plain name.txt");
    EXPECT_EQ(visibleText("caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x93\x81"), "caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x93\x81");
    EXPECT_EQ(visibleText("line1\nline2.txt"), "line1\u21B5line2.txt");
    EXPECT_EQ(visibleText("a\tb\rc"), "a\u21E5b\u21E4c");
    // Other C0 controls and DEL by their Control Pictures; a NUL byte is kept too.
    EXPECT_EQ(visibleText(std::string_view("\x1B[0m\x7F\x01\0z", 8)), "\u241B[0m\u2421\u2401\u2400z");
    // Line breaks that are not controls, and C1 controls.
    EXPECT_EQ(visibleText("a\u2028b\u2029c\u0085d"), "a\u21B5b\u21B5c\u21B5d");
    EXPECT_EQ(visibleText("x\u009By"), "x\uFFFDy");
    // Invalid bytes: one U+FFFD per maximal subpart, as everywhere else.
    EXPECT_EQ(visibleText("bad\xFF\xE2\x82.txt"), "bad\uFFFD\uFFFD.txt");
    EXPECT_EQ(visibleText(""), "");
}

TEST(ProcessorCount, IsTheAffinityMask) {
    cpu_set_t set;
    ASSERT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
    EXPECT_EQ(availableProcessors(), static_cast<unsigned>(CPU_COUNT(&set)));
}
