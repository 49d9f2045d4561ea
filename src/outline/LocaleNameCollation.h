#pragma once
// The file browser's order of names in the user's language: numbers by value
// ("Disk 9" before "Disk 10"), case ignored, accents and punctuation as the language
// orders them. GUI thread (one collator, not shared between threads).

#include "outline/NameCollation.h"

#include <QCollator>

namespace plenwick {

class LocaleNameCollation final : public NameCollation {
public:
    // The current locale's collation.
    LocaleNameCollation();
    explicit LocaleNameCollation(const QLocale& locale);

    int compare(std::string_view a, std::string_view b) const override;
    // Ranks through the collator's sort keys: one key per name, then byte comparisons.
    std::vector<std::uint32_t> ranks(std::span<const std::string_view> names) const override;
    // The language whose order this is (for a collation of another thread's own).
    QLocale locale() const { return collator_.locale(); }

private:
    QCollator collator_;
};

} // namespace plenwick
