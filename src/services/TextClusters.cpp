#include "services/TextClusters.h"

#include <QChar>

namespace plenwick {
namespace {

// Decodes the code point at s[i] (repaired text assumed; a stray byte counts as one).
char32_t decodeAt(std::string_view s, std::size_t i, std::size_t& length) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : 0;
    if (i + static_cast<std::size_t>(extra) >= s.size()) extra = 0;
    char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) { extra = 0; cp = b; break; }
        cp = (cp << 6) | (c & 0x3F);
    }
    length = static_cast<std::size_t>(extra) + 1;
    return cp;
}

// Every combining mark, whatever its script (Thai tone marks, Indic vowel signs, …).
bool isMark(char32_t cp) {
    switch (QChar::category(cp)) {
    case QChar::Mark_NonSpacing: case QChar::Mark_SpacingCombining: case QChar::Mark_Enclosing: return true;
    default: return false;
    }
}

bool isHangul(char32_t cp) { return (cp >= 0x1100 && cp <= 0x11FF) || (cp >= 0xAC00 && cp <= 0xD7A3); }
// A medial vowel or final consonant jamo: part of the syllable before it (decomposed Korean).
bool isTrailingJamo(char32_t cp) { return cp >= 0x1160 && cp <= 0x11FF; }

bool extends(char32_t cp) {
    // Thai and Lao SARA AM are letters that still belong to the consonant before them.
    return isMark(cp) || cp == 0x0E33 || cp == 0x0EB3 || (cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x0483 && cp <= 0x0489) || (cp >= 0x0591 && cp <= 0x05BD) ||
           (cp >= 0x0610 && cp <= 0x061A) || (cp >= 0x064B && cp <= 0x065F) || (cp >= 0x0900 && cp <= 0x0903) ||
           (cp >= 0x093A && cp <= 0x094F) || (cp >= 0x1AB0 && cp <= 0x1AFF) || (cp >= 0x1DC0 && cp <= 0x1DFF) ||
           (cp >= 0x200C && cp <= 0x200D) || (cp >= 0x20D0 && cp <= 0x20FF) || (cp >= 0x3099 && cp <= 0x309A) ||
           (cp >= 0xFE00 && cp <= 0xFE0F) || (cp >= 0xFE20 && cp <= 0xFE2F) || (cp >= 0x1F3FB && cp <= 0x1F3FF) ||
           (cp >= 0xE0020 && cp <= 0xE007F) || (cp >= 0xE0100 && cp <= 0xE01EF);
}

bool regionalIndicator(char32_t cp) { return cp >= 0x1F1E6 && cp <= 0x1F1FF; }

} // namespace

std::vector<std::size_t> characterBoundaries(std::string_view text) {
    std::vector<std::size_t> bounds;
    char32_t previous = 0;
    bool havePrevious = false;
    bool openRegionalPair = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        const char32_t cp = decodeAt(text, i, length);
        bool joins = false;
        if (havePrevious) {
            if (extends(cp)) joins = true;
            else if (isTrailingJamo(cp) && isHangul(previous)) joins = true;
            else if (previous == 0x200D) joins = true; // zero-width joiner sequence
            else if (previous == '\r' && cp == '\n') joins = true;
            else if (regionalIndicator(cp) && openRegionalPair) joins = true;
        }
        if (!joins) bounds.push_back(i);
        openRegionalPair = regionalIndicator(cp) && !(joins && openRegionalPair);
        previous = cp;
        havePrevious = true;
        i += length;
    }
    bounds.push_back(text.size());
    return bounds;
}

std::size_t characterCount(std::string_view text) {
    return characterBoundaries(text).size() - 1;
}

} // namespace plenwick
