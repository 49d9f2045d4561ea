#include "outline/OutlineNameMatcher.h"

#include "base/Utf8.h"

#include <algorithm>

namespace plenwick {

namespace {

char foldByte(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c | 0x20) : c; }

bool isASCIIText(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// White space and line breaks: the separators of every kind, the tab and line
// controls, and the next-line control.
bool isWhiteSpace(char32_t c) noexcept {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

} // namespace

std::string_view trimmedQuery(std::string_view text) noexcept {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const Utf8CodePoint cp = decodeUtf8At(text, begin);
        if (cp.length == 0 || !isWhiteSpace(cp.value)) break;
        begin += cp.length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // Back to the first byte of the last sequence.
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80 && end - start < 4) --start;
        const Utf8CodePoint cp = decodeUtf8At(text, start);
        if (cp.length != end - start || !isWhiteSpace(cp.value)) break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

bool containsFoldingASCII(std::string_view haystack, std::string_view needle) noexcept {
    if (needle.empty()) return true;
    if (haystack.size() < needle.size()) return false;
    const char first = needle.front();
    const std::size_t last = haystack.size() - needle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (foldByte(haystack[i]) != first) continue;
        std::size_t j = 1;
        while (j < needle.size() && foldByte(haystack[i + j]) == needle[j]) ++j;
        if (j == needle.size()) return true;
    }
    return false;
}

OutlineNameMatcher::OutlineNameMatcher(std::string_view text, const TextFolding* folding)
    : query_(trimmedQuery(text)), folding_(folding) {
    needle_.reserve(query_.size());
    for (char c : query_) needle_.push_back(foldByte(c));
    isASCII_ = isASCIIText(query_);
    if (!isASCII_ && folding_) {
        foldedQuery_ = folding_->fold(query_);
        foldedQueryIsASCII_ = isASCIIText(foldedQuery_);
    }
}

bool OutlineNameMatcher::matches(std::string_view name) const {
    if (isASCII_) return !needle_.empty() && containsFoldingASCII(name, needle_);
    if (!folding_ || foldedQuery_.empty()) return false;
    if (isASCIIText(name)) {
        // An ASCII name folds to itself in lower case: only an ASCII query can be in it.
        return foldedQueryIsASCII_ && containsFoldingASCII(name, foldedQuery_);
    }
    return folding_->fold(name).find(foldedQuery_) != std::string::npos;
}

} // namespace plenwick
