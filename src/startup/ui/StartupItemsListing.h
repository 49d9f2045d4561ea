#pragma once
// What the Startup Items window lists for a given state, filter and bundled switch:
// its sections in order, with their titles, footers and rows, and the placeholder
// shown over the list. Decided here, without widgets.

#include "startup/StartupItem.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace plenwick {

struct StartupItemsListing {
    struct Section {
        enum class Kind {
            items,                 // a source's rows
            loginItemsUnavailable, // login items could not be read: one row with the reason
            bundled,               // helpers inside apps, with its count and Show/Hide button
        };
        Kind kind = Kind::items;
        StartupItem::Source source = StartupItem::Source::loginItem;
        QString title;   // for bundled: "Bundled with Apps (<count>)"
        QString footer;  // none for the unavailable row
        QString message; // the unavailable row's text
        std::vector<StartupItem> rows;
        int count = 0;   // rows after filtering, shown or not
    };
    enum class Overlay { none, noItems, noSearchResults };

    std::vector<Section> sections;
    Overlay overlay = Overlay::none;

    // `items` in the model's order; `search` as typed; `launchToolInstalled`: whether
    // the tool that reads the login items is there at all.
    static StartupItemsListing make(const std::vector<StartupItem>& items,
                                    const std::optional<std::string>& loginItemsError, const QString& search,
                                    bool showBundled, bool launchToolInstalled = true);
};

} // namespace plenwick
