#pragma once
// The texts of the Startup Items window: section titles and footers, the count line,
// the filter, and the removal confirmation.

#include "startup/StartupItem.h"

#include <QString>

#include <optional>
#include <vector>

namespace plenwick {

struct StartupItemsTexts {
    static QString sectionTitle(StartupItem::Source source);
    static QString sectionFooter(StartupItem::Source source);
    // Before the first load, the generic sentence; then the count of items outside
    // apps, and how many of them were left behind. On a system without the launch
    // system (`lacksLaunchSystem`) that lists nothing outside apps, only that sentence.
    static QString countLine(bool hasLoaded, const std::vector<StartupItem>& items, int leftoverCount,
                             bool lacksLaunchSystem = false);
    // The items outside apps, the ones the count line counts.
    static qsizetype countedItems(const std::vector<StartupItem>& items);
    // The items whose name, else detail line, contains the filter ignoring case; the
    // filter trimmed of blanks and tabs, an empty one keeping everything.
    static std::vector<StartupItem> filtered(const std::vector<StartupItem>& items, const QString& search);
    // The login items' failure as the window shows it. Where the launch system's tool
    // could not be started because it is not installed at all, this system has no
    // such launch system, and one sentence says so instead of the start error.
    static QString loginItemsUnavailable(const std::string& error, bool launchToolInstalled);
    // Whether the login items failed that way: this system has no such launch system.
    static bool lacksLaunchSystem(const std::optional<std::string>& loginItemsError, bool launchToolInstalled);
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
    static const QString noLaunchSystem;
    static const QString settingsButton;
    static const QString settingsHelp;
    static const QString refreshButton;
    static const QString refreshHelp;
    static const QString filterPrompt;
    static const char* const loginItemsSettingsURL;
};

} // namespace plenwick
