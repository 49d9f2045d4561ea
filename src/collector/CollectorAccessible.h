#pragma once
// The drawn remove buttons of the collector's chips and rows as assistive technology
// sees them: one button element per item, named "Remove <name> from Collector", that
// removes its item when pressed. The chips and rows are drawn rather than made of
// widgets, so the views that draw them tell the buttons through this interface.

#include <QRect>
#include <QString>

namespace plenwick {

class CollectorRemoveButtons {
public:
    virtual ~CollectorRemoveButtons() = default;
    virtual int removeButtonCount() const = 0;
    virtual QString removeButtonName(int index) const = 0;
    // In the widget's own coordinates.
    virtual QRect removeButtonRect(int index) const = 0;
    virtual void pressRemoveButton(int index) = 0;
};

// Registers the accessible interface of the widgets that draw remove buttons (once
// per process).
void installCollectorAccessibleFactory();

} // namespace plenwick
