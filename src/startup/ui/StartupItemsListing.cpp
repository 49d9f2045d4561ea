#include "startup/ui/StartupItemsListing.h"

#include "startup/ui/StartupItemsTexts.h"

namespace plenwick {

using Source = StartupItem::Source;

StartupItemsListing StartupItemsListing::make(const std::vector<StartupItem>& items,
                                              const std::optional<std::string>& loginItemsError,
                                              const QString& search, bool showBundled, bool launchToolInstalled) {
    StartupItemsListing listing;
    bool anyMatch = false;
    for (Source source : StartupItem::allSources) {
        std::vector<StartupItem> inSource;
        for (const StartupItem& item : items)
            if (item.source == source) inSource.push_back(item);
        std::vector<StartupItem> rows = StartupItemsTexts::filtered(inSource, search);
        anyMatch = anyMatch || !rows.empty();

        Section section;
        section.source = source;
        if (source == Source::loginItem && loginItemsError) {
            // Without the launch system and anything else to count, the count line
            // says so alone.
            if (StartupItemsTexts::lacksLaunchSystem(loginItemsError, launchToolInstalled) &&
                StartupItemsTexts::countedItems(items) == 0)
                continue;
            section.kind = Section::Kind::loginItemsUnavailable;
            section.title = StartupItemsTexts::sectionTitle(source);
            section.message = StartupItemsTexts::loginItemsUnavailable(*loginItemsError, launchToolInstalled);
            listing.sections.push_back(std::move(section));
            continue;
        }
        if (rows.empty()) continue;
        section.count = static_cast<int>(rows.size());
        section.footer = StartupItemsTexts::sectionFooter(source);
        if (source == Source::bundled) {
            section.kind = Section::Kind::bundled;
            section.title = StartupItemsTexts::sectionTitle(source) + QStringLiteral(" (") +
                            QString::number(section.count) + QStringLiteral(")");
            if (showBundled) section.rows = std::move(rows);
        } else {
            section.title = StartupItemsTexts::sectionTitle(source);
            section.rows = std::move(rows);
        }
        listing.sections.push_back(std::move(section));
    }

    if (items.empty() && !loginItemsError) listing.overlay = Overlay::noItems;
    else if (!search.isEmpty() && !anyMatch) listing.overlay = Overlay::noSearchResults;
    return listing;
}

} // namespace plenwick
