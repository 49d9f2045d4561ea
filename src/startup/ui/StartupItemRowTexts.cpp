#include "startup/ui/StartupItemRowTexts.h"

namespace plenwick {

using Source = StartupItem::Source;
using Tone = StartupBadgeContent::Tone;

const QString StartupItemRowTexts::switchLabel = QStringLiteral("Enabled");
const QString StartupItemRowTexts::revealInFileManager = QStringLiteral("Reveal in File Manager");
const QString StartupItemRowTexts::revealAppInFileManager = QStringLiteral("Reveal App in File Manager");

std::vector<StartupBadgeContent> StartupItemRowTexts::badges(const StartupItem& item) {
    static const QString missingTip =
        QStringLiteral("What it starts no longer exists — probably left behind by an app you removed.");
    std::vector<StartupBadgeContent> badges;
    if (item.programMissing && item.source == Source::loginItem)
        badges.push_back({QStringLiteral("App missing"), Tone::orange, missingTip});
    else if (item.programMissing && item.source != Source::bundled)
        badges.push_back({QStringLiteral("Program missing"), Tone::orange, missingTip});
    if (item.isDisabled == true) badges.push_back({QStringLiteral("Off"), Tone::secondary, {}});
    else if (item.isLoaded == true) badges.push_back({QStringLiteral("Running"), Tone::green, {}});
    if (item.needsPassword()) badges.push_back({{}, Tone::lock, QStringLiteral("Changing it needs your password")});
    if (item.hidden) badges.push_back({QStringLiteral("Hidden"), Tone::secondary, {}});
    return badges;
}

QString StartupItemRowTexts::switchToolTip(const StartupItem& item) {
    return item.isDisabled == true ? QStringLiteral("Turned off — it won't start")
                                   : QStringLiteral("Turn off to stop it starting");
}

std::optional<QString> StartupItemRowTexts::removeTitle(const StartupItem& item) {
    if (item.source == Source::bundled || item.removalRefusal()) return std::nullopt;
    if (item.source == Source::loginItem) return QStringLiteral("Remove from Autostart…");
    return QStringLiteral("Delete…");
}

std::optional<QString> StartupItemRowTexts::removalRefusal(const StartupItem& item) {
    const auto refusal = item.removalRefusal();
    if (!refusal) return std::nullopt;
    return QString::fromStdString(*refusal);
}

bool StartupItemRowTexts::offersRevealApp(const StartupItem& item) {
    return item.appURL && *item.appURL != item.url;
}

double StartupItemRowTexts::iconOpacity(const StartupItem& item) {
    return item.isDisabled == true ? 0.45 : 1.0;
}

} // namespace plenwick
