#include "outline/CanonicalNames.h"

#include <QString>

#include <algorithm>

namespace plenwick {

std::string canonicalName(std::string_view name) {
    // Plain ASCII is its own composition.
    if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(name);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
        .normalized(QString::NormalizationForm_C)
        .toStdString();
}

} // namespace plenwick
