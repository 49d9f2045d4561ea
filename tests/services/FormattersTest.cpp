#include "services/Formatters.h"
#include "services/TextClusters.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace plenwick;

TEST(Formatters, Percent) {
    EXPECT_EQ(formatPercent(0, ".", "%1%"), "0.0%");
    EXPECT_EQ(formatPercent(0.05, ".", "%1%"), "5.0%");
    EXPECT_EQ(formatPercent(0.0999, ".", "%1%"), "10.0%");
    EXPECT_EQ(formatPercent(0.1, ".", "%1%"), "10%");
    EXPECT_EQ(formatPercent(0.256, ".", "%1%"), "26%");
    EXPECT_EQ(formatPercent(1, ".", "%1%"), "100%");
    EXPECT_EQ(formatPercent(0.05, ",", "%1\u00A0%"), "5,0\u00A0%");
    EXPECT_EQ(formatPercent(std::nan(""), ".", "%1%"), "0.0%");
    EXPECT_EQ(formatPercent(std::numeric_limits<double>::infinity(), ".", "%1%"), "0.0%");
}

TEST(Formatters, AbbreviatedPath) {
    EXPECT_EQ(abbreviatedPath("/home/ann", "/home/ann/"), "~");
    EXPECT_EQ(abbreviatedPath("/home/ann/Music/a b", "/home/ann"), "~/Music/a b");
    EXPECT_EQ(abbreviatedPath("/home/anna/x", "/home/ann"), "/home/anna/x");
    EXPECT_EQ(abbreviatedPath("", "/home/ann"), "");
    EXPECT_EQ(abbreviatedPath("/etc", ""), "/etc");
    EXPECT_EQ(abbreviatedPath("/etc", "/"), "/etc");
}

TEST(Formatters, TruncateMiddleCountsCharacters) {
    EXPECT_EQ(truncateMiddle("abcdefghij", 0), "");
    EXPECT_EQ(truncateMiddle("abcdefghij", 1), "…");
    EXPECT_EQ(truncateMiddle("abcdefghij", 2), "…j");
    EXPECT_EQ(truncateMiddle("abcdefghij", 5), "a…hij");
    EXPECT_EQ(truncateMiddle("abcdefghij", 10), "abcdefghij");
    const std::string cut = truncateMiddle(std::string(15, 'h') + std::string(20, 'm') + std::string(24, 't'), 40);
    EXPECT_EQ(cut, std::string(15, 'h') + "…" + std::string(24, 't'));
    // Accents and flags are single characters and are never split.
    EXPECT_EQ(truncateMiddle("e\u0301e\u0301e\u0301e\u0301e\u0301", 4), "e\u0301…e\u0301e\u0301");
    EXPECT_EQ(characterCount("🇩🇪🇫🇷👍🏽a"), 4u);
    // Emoji joined by zero-width joiners, a keycap and a tag flag are one character each.
    EXPECT_EQ(characterCount("\U0001F469\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466x"), 2u);
    EXPECT_EQ(characterCount("1\uFE0F\u20E3\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F"), 2u);
    EXPECT_EQ(truncateMiddle("\U0001F469\u200D\U0001F469\u200D\U0001F467ab\U0001F1E9\U0001F1EAcd\U0001F1EB\U0001F1F7", 4),
              "\U0001F469\u200D\U0001F469\u200D\U0001F467…d\U0001F1EB\U0001F1F7");
    EXPECT_EQ(characterCount("a\r\nb"), 3u);
    // A byte that is not UTF-8 counts as one character and is kept as it was.
    EXPECT_EQ(characterCount("a\xFF\xFE" "e\u0301"), 4u);
    EXPECT_EQ(truncateMiddle("\xFF" "bcdefgh\xFE", 4), "\xFF" "…h\xFE");
    EXPECT_EQ(characterCount(""), 0u);
    // Marks of any script stay with their base; decomposed Hangul syllables count once.
    EXPECT_EQ(characterCount("\u0E19\u0E49\u0E33\u0E19"), 2u); // Thai: base, tone mark, SARA AM; base
    EXPECT_EQ(characterCount("\u0995\u09BF\u0995\u09C1"), 2u); // Bengali: consonants with vowel signs
    EXPECT_EQ(characterCount("\u1112\u1161\u11AB\u1100\u1173\u11AF"), 2u); // decomposed Hangul
    EXPECT_EQ(truncateMiddle("\u0995\u09BF\u0995\u09C1\u0995\u09BF\u0995\u09C1\u0995", 4),
              "\u0995\u09BF…\u0995\u09C1\u0995");
}

TEST(Formatters, Duration) {
    EXPECT_EQ(formatDuration(7), "0:07");
    EXPECT_EQ(formatDuration(59.9), "0:59");
    EXPECT_EQ(formatDuration(3599), "59:59");
    EXPECT_EQ(formatDuration(3600), "1:00:00");
    EXPECT_EQ(formatDuration(3723), "1:02:03");
    EXPECT_EQ(formatDuration(360000), "100:00:00");
    EXPECT_EQ(formatDuration(-5), "0:00");
    EXPECT_EQ(formatDuration(std::nan("")), "0:00");
    EXPECT_EQ(formatDuration(-std::numeric_limits<double>::infinity()), "0:00");
    EXPECT_EQ(formatDuration(std::numeric_limits<double>::infinity()).substr(0, 5), "25555");
}

TEST(Formatters, CountTextsAgreeInNumber) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(countText(1, "file", "files"), "1 file");
    EXPECT_EQ(countText(0, "file", "files"), "0 files");
    EXPECT_EQ(countText(-1, "file", "files"), "-1 files");
    EXPECT_EQ(countText(1234, "file", "files"), "1,234 files");
    EXPECT_EQ(decimalCountText(1234, "leftover item", "leftover items"), "1234 leftover items");
    EXPECT_EQ(decimalCountText(1, "Item", "Items"), "1 Item");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(countText(1234567, "file", "files"), "1.234.567 files");
    QLocale::setDefault(before);
}

TEST(Formatters, MediumDatesFromTheLocalesLongPattern) {
    // The weekday goes with the separator that joins it; the month is abbreviated.
    EXPECT_EQ(mediumDatePattern("dddd, MMMM d, yyyy"), "MMM d, yyyy");       // English
    EXPECT_EQ(mediumDatePattern("dddd, d. MMMM yyyy"), "d. MMM yyyy");       // German
    EXPECT_EQ(mediumDatePattern("dddd d MMMM yyyy"), "d MMM yyyy");          // French
    EXPECT_EQ(mediumDatePattern("yyyy年M月d日dddd"), "yyyy年M月d日");  // Japanese
    EXPECT_EQ(mediumDatePattern("yyyy년 M월 d일 dddd"), "yyyy년 M월 d일");  // Korean
    EXPECT_EQ(mediumDatePattern("dddd, d 'de' MMMM 'de' yyyy"), "d 'de' MMM 'de' yyyy");  // Spanish
    // Quoted text is never read as fields.
    EXPECT_EQ(mediumDatePattern("'dddd' MMMM d"), "'dddd' MMM d");
    EXPECT_EQ(mediumDatePattern(""), "");

    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // Noon UTC: the same day in any time zone.
    EXPECT_EQ(formatMediumDate(1699963200), "Nov 14, 2023");
    const std::string withTime = formatMediumDateAndShortTime(1699963200);
    EXPECT_EQ(withTime.rfind("Nov 14, 2023 ", 0), 0u) << withTime;
    EXPECT_EQ(std::count(withTime.begin(), withTime.end(), ':'), 1) << withTime;  // no seconds
    QLocale::setDefault(before);
}
