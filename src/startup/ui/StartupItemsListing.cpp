#include "startup/ui/StartupItemsListing.h"

#include "startup/ui/StartupItemsTexts.h"

namespace plenwick {

using Source = StartupItem::Source;

StartupItemsListing StartupItemsListing::make(const std::vector<StartupItem>& items, const QString& search) {
    StartupItemsListing listing;
    for (Source source : StartupItemsTexts::listedSources) {
        std::vector<StartupItem> inSource;
        for (const StartupItem& item : items)
            if (item.source == source) inSource.push_back(item);
        std::vector<StartupItem> rows = StartupItemsTexts::filtered(inSource, search);
        if (rows.empty()) continue;
        listing.sections.push_back(
            {source, StartupItemsTexts::sectionTitle(source), StartupItemsTexts::sectionFooter(source), std::move(rows)});
    }
    if (StartupItemsTexts::countedItems(items) == 0) listing.overlay = Overlay::noItems;
    else if (!search.isEmpty() && listing.sections.empty()) listing.overlay = Overlay::noSearchResults;
    return listing;
}

} // namespace plenwick
