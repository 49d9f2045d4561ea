#pragma once
// The inspector column's width: kept in the preferences under "InspectorColumnWidth",
// shown clamped to 240 … 420, changed by dragging the column's leading edge (the
// width follows the pointer from where the drag began), reset to 270 by a double
// click, and stepped by 20 by assistive technologies.

#include "results/StoredColumnWidth.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace plenwick {

class Preferences;

class InspectorColumnWidth {
public:
    static constexpr double minimum = 240, maximum = 420, defaultWidth = 270, step = 20;
    // The resize handle: its width, and how far it reaches past the leading edge.
    static constexpr int handleWidth = 8, handleShift = 4;
    static inline const QString preferenceKey = QStringLiteral("InspectorColumnWidth");
    static const StoredColumnWidth& preference();

    // The stored preference as a width: the default when absent, unreadable or not finite.
    static double fromPreference(const QVariant& stored);
    static double clamped(double width);
    // What assistive technologies announce: the width truncated, then " points".
    static QString accessibleValue(double displayed);

    explicit InspectorColumnWidth(Preferences& preferences) : preferences_(preferences) {}

    double storedWidth() const;
    double displayedWidth() const { return clamped(storedWidth()); }
    const std::optional<double>& dragStartWidth() const noexcept { return dragStartWidth_; }

    // One step of a drag that has moved `translation` points to the right since it began.
    void dragChanged(double translation);
    void dragEnded() { dragStartWidth_.reset(); }
    void reset();
    // An increment adds a step to the stored width, a decrement takes one off.
    void adjust(bool increment);

private:
    void store(double width);

    Preferences& preferences_;
    std::optional<double> dragStartWidth_;
};

} // namespace plenwick
