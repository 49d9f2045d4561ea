#include "services/TextClusters.h"

#include "base/Utf8.h"

#include <QString>
#include <QTextBoundaryFinder>

namespace plenwick {

std::vector<std::size_t> characterBoundaries(std::string_view text) {
    // The text as UTF-16, remembering the byte offset where each unit starts; an
    // invalid byte stands as one replacement character.
    QString utf16;
    utf16.reserve(static_cast<qsizetype>(text.size()));
    std::vector<std::size_t> byteOffset;
    byteOffset.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size();) {
        const Utf8CodePoint cp = decodeUtf8At(text, i);
        const char32_t value = cp.length ? cp.value : char32_t{0xFFFD};
        if (QChar::requiresSurrogates(value)) {
            utf16.append(QChar(QChar::highSurrogate(value)));
            utf16.append(QChar(QChar::lowSurrogate(value)));
            byteOffset.push_back(i);
            byteOffset.push_back(i);
        } else {
            utf16.append(QChar(static_cast<char16_t>(value)));
            byteOffset.push_back(i);
        }
        i += cp.length ? cp.length : 1;
    }
    byteOffset.push_back(text.size());

    std::vector<std::size_t> bounds;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, utf16);
    for (qsizetype at = 0; at >= 0 && at < utf16.size(); at = finder.toNextBoundary())
        bounds.push_back(byteOffset[static_cast<std::size_t>(at)]);
    bounds.push_back(text.size());
    return bounds;
}

std::size_t characterCount(std::string_view text) {
    return characterBoundaries(text).size() - 1;
}

} // namespace plenwick
