#pragma once
// What one row of the Startup Items window shows for an item: its badges, its switch,
// its menus' entries and its icon's look. Decided here, without widgets.

#include "startup/StartupItem.h"

#include <QString>

#include <optional>
#include <vector>

namespace plenwick {

struct StartupBadgeContent {
    enum class Tone { orange, secondary, green, lock }; // lock: the symbol alone, no capsule
    QString text;
    Tone tone = Tone::secondary;
    QString toolTip;
    friend bool operator==(const StartupBadgeContent&, const StartupBadgeContent&) = default;
};

struct StartupItemRowTexts {
    static std::vector<StartupBadgeContent> badges(const StartupItem& item);
    // The switch's tooltip (the switch is shown only when the item can be toggled).
    static QString switchToolTip(const StartupItem& item);
    // "Remove from Autostart…" or "Delete…"; none for helpers inside apps and for
    // what can't be removed (see removalRefusal).
    static std::optional<QString> removeTitle(const StartupItem& item);
    // Why the item can't be removed, shown in place of the entry.
    static std::optional<QString> removalRefusal(const StartupItem& item);
    // Whether the actions menu offers to reveal the item's app apart from the item.
    static bool offersRevealApp(const StartupItem& item);
    static double iconOpacity(const StartupItem& item);

    static const QString switchLabel;       // "Enabled"
    static const QString revealInFileManager;    // "Reveal in File Manager"
    static const QString revealAppInFileManager; // "Reveal App in File Manager"
};

} // namespace plenwick
