#include "platform/ByteCountFormatter.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <limits>

using namespace plenwick;

TEST(ByteCountFormatter, FileStyleUnitsAndPrecision) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {2, "2 bytes"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {1499, "1 KB"},
        {1500, "2 KB"},
        {999'499, "999 KB"},
        {999'500, "1 MB"},            // rounding up crosses into the next unit
        {1'000'000, "1 MB"},
        {1'250'000, "1.3 MB"},
        {12'340'000, "12.3 MB"},
        {999'960'000, "1 GB"},
        {1'234'567'890, "1.23 GB"},
        {1'200'000'000, "1.2 GB"},
        {5'000'000'000'000, "5 TB"},
        {1'500'000'000'000'000, "1.5 PB"},
        {std::numeric_limits<std::int64_t>::max(), "9.22 EB"},
        {-2048, "-2 KB"},
        {std::numeric_limits<std::int64_t>::min(), "-9.22 EB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(formatByteCount(bytes, "."), text) << bytes;
}

TEST(ByteCountFormatter, FollowsTheLocaleDecimalSeparator) {
    EXPECT_EQ(formatByteCount(1'250'000, ","), "1,3 MB");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formatByteCount(1'234'567'890), "1,23 GB");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(formatByteCount(1'234'567'890), "1.23 GB");
    EXPECT_EQ(formatByteCount(0), "Zero KB");
    QLocale::setDefault(QLocale::system());
}
