#pragma once
// What the Startup Items window lists for a given state and filter: its sections in
// order, with their titles, footers and rows, and the placeholder shown over the
// list. Decided here, without widgets.

#include "startup/StartupItem.h"

#include <QString>

#include <vector>

namespace plenwick {

struct StartupItemsListing {
    struct Section {
        StartupItem::Source source = StartupItem::Source::loginItem;
        QString title;
        QString footer;
        std::vector<StartupItem> rows;
    };
    enum class Overlay { none, noItems, noSearchResults };

    std::vector<Section> sections;
    Overlay overlay = Overlay::none;

    // `items` in the model's order; `search` as typed. Jobs inside apps have no
    // section: this system has none.
    static StartupItemsListing make(const std::vector<StartupItem>& items, const QString& search);
};

} // namespace plenwick
