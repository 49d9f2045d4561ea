#include "results/InspectorColumnWidth.h"

#include "app/Preferences.h"

#include <algorithm>
#include <cmath>

namespace plenwick {

double InspectorColumnWidth::fromPreference(const QVariant& stored) {
    if (!stored.isValid()) return defaultWidth;
    bool ok = false;
    const double width = stored.toDouble(&ok);
    return ok && std::isfinite(width) ? width : defaultWidth;
}

double InspectorColumnWidth::clamped(double width) { return std::min(std::max(minimum, width), maximum); }

QString InspectorColumnWidth::accessibleValue(double displayed) {
    return QString::number(static_cast<long long>(std::trunc(displayed))) + QStringLiteral(" points");
}

double InspectorColumnWidth::storedWidth() const { return fromPreference(preferences_.value(preferenceKey)); }

void InspectorColumnWidth::dragChanged(double translation) {
    const double start = dragStartWidth_.value_or(displayedWidth());
    dragStartWidth_ = start;
    store(clamped(start - translation));
}

void InspectorColumnWidth::reset() { store(defaultWidth); }

void InspectorColumnWidth::adjust(bool increment) {
    store(clamped(storedWidth() + (increment ? step : -step)));
}

void InspectorColumnWidth::store(double width) { preferences_.setValue(preferenceKey, width); }

} // namespace plenwick
