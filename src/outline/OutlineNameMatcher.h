#pragma once
// A name query prepared once per search: trimmed, and folded for a fast byte search
// when it is plain ASCII. Other queries are matched by containment after folding case
// and diacritics away, through TextFolding (the program uses Unicode folding,
// UnicodeTextFolding.h), so that this stays free of any text library.

#include <string>
#include <string_view>

namespace plenwick {

class TextFolding {
public:
    virtual ~TextFolding() = default;
    // `text` (UTF-8; invalid bytes stand for U+FFFD) with case and diacritics folded
    // away, so that two texts that differ only in those compare equal. Any thread.
    virtual std::string fold(std::string_view text) const = 0;
};

// `text` without white space and line breaks (Unicode's) at either end.
std::string_view trimmedQuery(std::string_view text) noexcept;

class OutlineNameMatcher {
public:
    // `folding` is used only for queries that are not plain ASCII; without it such a
    // query matches nothing. It must outlive the matcher.
    explicit OutlineNameMatcher(std::string_view text, const TextFolding* folding = nullptr);

    // The trimmed query; empty when the text was empty or white space only.
    const std::string& query() const noexcept { return query_; }
    // The query's bytes with A–Z lowered; every other byte as it is.
    const std::string& needle() const noexcept { return needle_; }
    // Every byte of the query is below 0x80.
    bool isASCII() const noexcept { return isASCII_; }

    // Whether `name` (raw bytes) contains the query. ASCII queries: a byte search
    // that folds A–Z only, so "e" never matches "é". Other queries: the folded name
    // contains the folded query, ignoring case and diacritics.
    bool matches(std::string_view name) const;

private:
    std::string query_;
    std::string needle_;
    bool isASCII_ = true;
    const TextFolding* folding_ = nullptr;
    std::string foldedQuery_;       // for queries that are not ASCII
    bool foldedQueryIsASCII_ = false;
};

// Whether `haystack` contains `needle` when the bytes A–Z of `haystack` are read as
// a–z. `needle` must already be lowered that way.
bool containsFoldingASCII(std::string_view haystack, std::string_view needle) noexcept;

} // namespace plenwick
