#include "outline/LocaleNameCollation.h"

#include <QString>

#include <algorithm>
#include <numeric>

namespace plenwick {

namespace {

QString text(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

LocaleNameCollation::LocaleNameCollation() : LocaleNameCollation(QLocale()) {}

LocaleNameCollation::LocaleNameCollation(const QLocale& locale) : collator_(locale) {
    collator_.setNumericMode(true);
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    collator_.setIgnorePunctuation(false);
}

int LocaleNameCollation::compare(std::string_view a, std::string_view b) const {
    return collator_.compare(text(a), text(b));
}

std::vector<std::uint32_t> LocaleNameCollation::ranks(std::span<const std::string_view> names) const {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (std::string_view name : names) keys.push_back(collator_.sortKey(text(name)));
    std::vector<std::uint32_t> sorted(names.size());
    std::iota(sorted.begin(), sorted.end(), 0u);
    std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a].compare(keys[b]) < 0; });
    return ranksOfSorted(sorted, [&](std::uint32_t a, std::uint32_t b) { return keys[a].compare(keys[b]) == 0; });
}

} // namespace plenwick
