#pragma once
// The texts of the Startup Items window: section titles and footers, the count line,
// the filter, and the removal confirmation.

#include "startup/StartupItem.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace plenwick {

struct StartupItemsTexts {
    // The sections shown, in order: jobs inside apps don't exist here.
    static constexpr std::array<StartupItem::Source, 4> listedSources{
        StartupItem::Source::loginItem, StartupItem::Source::userAgent, StartupItem::Source::systemAgent,
        StartupItem::Source::systemDaemon};
    static QString sectionTitle(StartupItem::Source source);
    static QString sectionFooter(StartupItem::Source source);
    // Before the first load, the generic sentence; then the count of the items listed,
    // and how many of them were left behind.
    static QString countLine(bool hasLoaded, const std::vector<StartupItem>& items, int leftoverCount);
    // The items the sections list, the ones the count line counts.
    static qsizetype countedItems(const std::vector<StartupItem>& items);
    // The items whose name, else detail line, contains the filter ignoring case; the
    // filter trimmed of blanks and tabs, an empty one keeping everything.
    static std::vector<StartupItem> filtered(const std::vector<StartupItem>& items, const QString& search);
    static QString confirmTitle(const std::optional<StartupItem>& item);
    static QString confirmMessage(const std::optional<StartupItem>& item);
    static QString confirmButton(const StartupItem& item);
    // Text of an item's field for display (invalid UTF-8 shown as U+FFFD).
    static QString display(const std::string& bytes);

    static const QString title;            // "Startup Items"
    static const QString loadingText;      // "Looking for startup items…"
    static const QString noItemsTitle;     // "No Startup Items"
    static const QString noItemsText;      // "Nothing starts on its own."
    static const QString errorAlertTitle;  // "Couldn’t Change Startup Item"
    static const QString refreshButton;
    static const QString refreshHelp;
    static const QString filterPrompt;
};

} // namespace plenwick
