#include "results/InspectorColumnWidth.h"

#include <cmath>

namespace plenwick {

const StoredColumnWidth& InspectorColumnWidth::preference() {
    static const StoredColumnWidth width{preferenceKey, minimum, maximum, defaultWidth};
    return width;
}

double InspectorColumnWidth::fromPreference(const QVariant& stored) {
    return StoredColumnWidth::read(stored, defaultWidth);
}

double InspectorColumnWidth::clamped(double width) { return preference().clamped(width); }

QString InspectorColumnWidth::accessibleValue(double displayed) {
    return QString::number(static_cast<long long>(std::trunc(displayed))) + QStringLiteral(" points");
}

double InspectorColumnWidth::storedWidth() const { return preference().stored(preferences_); }

void InspectorColumnWidth::dragChanged(double translation) {
    const double start = dragStartWidth_.value_or(displayedWidth());
    dragStartWidth_ = start;
    store(clamped(start - translation));
}

void InspectorColumnWidth::reset() { store(defaultWidth); }

void InspectorColumnWidth::adjust(bool increment) {
    store(clamped(storedWidth() + (increment ? step : -step)));
}

void InspectorColumnWidth::store(double width) { preference().store(preferences_, width); }

} // namespace plenwick
