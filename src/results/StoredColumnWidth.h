#pragma once
// A column width the user sets and the preferences keep under its key: read as a
// finite number (the default when absent or unreadable) and shown clamped to the
// column's range. The inspector's and the sidebar's widths are kept this way.

#include <QString>
#include <QVariant>

namespace plenwick {

class Preferences;

struct StoredColumnWidth {
    QString key;
    double minimum;
    double maximum;
    double defaultWidth;

    // `stored` as a width: `fallback` when absent, unreadable or not finite.
    static double read(const QVariant& stored, double fallback);

    double clamped(double width) const;
    double stored(const Preferences& preferences) const;
    double displayed(const Preferences& preferences) const { return clamped(stored(preferences)); }
    void store(Preferences& preferences, double width) const;
};

} // namespace plenwick
