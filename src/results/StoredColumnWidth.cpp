#include "results/StoredColumnWidth.h"

#include "app/Preferences.h"

#include <algorithm>
#include <cmath>

namespace plenwick {

double StoredColumnWidth::read(const QVariant& stored, double fallback) {
    if (!stored.isValid()) return fallback;
    bool ok = false;
    const double width = stored.toDouble(&ok);
    return ok && std::isfinite(width) ? width : fallback;
}

double StoredColumnWidth::clamped(double width) const { return std::min(std::max(minimum, width), maximum); }

double StoredColumnWidth::stored(const Preferences& preferences) const {
    return read(preferences.value(key), defaultWidth);
}

void StoredColumnWidth::store(Preferences& preferences, double width) const { preferences.setValue(key, width); }

} // namespace plenwick
