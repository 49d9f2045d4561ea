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

TEST(ProcessorCount, IsTheAffinityMask) {
    cpu_set_t set;
    ASSERT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
    EXPECT_EQ(availableProcessors(), static_cast<unsigned>(CPU_COUNT(&set)));
}
