#include "startup/ui/StartupItemsTexts.h"

#include "base/PathNames.h"
#include "services/Formatters.h"

#include <algorithm>

namespace plenwick {

using Source = StartupItem::Source;

const QString StartupItemsTexts::title = QStringLiteral("Startup Items");
const QString StartupItemsTexts::loadingText = QStringLiteral("Looking for startup items…");
const QString StartupItemsTexts::noItemsTitle = QStringLiteral("No Startup Items");
const QString StartupItemsTexts::noItemsText = QStringLiteral("Nothing starts on its own.");
const QString StartupItemsTexts::errorAlertTitle = QStringLiteral("Couldn’t Change Startup Item");
const QString StartupItemsTexts::refreshButton = QStringLiteral("Refresh");
const QString StartupItemsTexts::refreshHelp = QStringLiteral("Look again");
const QString StartupItemsTexts::filterPrompt = QStringLiteral("Filter");

QString StartupItemsTexts::display(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString StartupItemsTexts::sectionTitle(Source source) {
    switch (source) {
    case Source::loginItem: return QStringLiteral("Open at Login");
    case Source::userAgent: return QStringLiteral("Your Services");
    case Source::systemAgent: return QStringLiteral("For All Users");
    case Source::systemDaemon: return QStringLiteral("System Services");
    case Source::bundled: return QStringLiteral("Bundled with Apps");
    }
    return {};
}

QString StartupItemsTexts::sectionFooter(Source source) {
    switch (source) {
    case Source::loginItem: return QStringLiteral("Apps that open when you log in.");
    case Source::userAgent: return QStringLiteral("Background jobs that run while you're logged in.");
    case Source::systemAgent:
        return QStringLiteral("Apps and background jobs that start for every user. Turning one off affects only you; "
                              "removing one needs your password.");
    case Source::systemDaemon:
        return QStringLiteral(
            "System services that run as root, even before login. Changing them needs your password.");
    case Source::bundled:
        return QStringLiteral("Helpers inside apps that the app can turn on itself.");
    }
    return {};
}

qsizetype StartupItemsTexts::countedItems(const std::vector<StartupItem>& items) {
    qsizetype n = 0;
    for (const StartupItem& item : items)
        if (std::find(listedSources.begin(), listedSources.end(), item.source) != listedSources.end()) ++n;
    return n;
}

QString StartupItemsTexts::countLine(bool hasLoaded, const std::vector<StartupItem>& items, int leftoverCount) {
    if (!hasLoaded) return QStringLiteral("Apps and background jobs that start on their own.");
    const qsizetype n = countedItems(items);
    QString line = QString::fromStdString(decimalCountText(n, "item", "items")) +
                   (n == 1 ? QStringLiteral(" starts on its own") : QStringLiteral(" start on their own"));
    if (leftoverCount >= 1)
        line += QStringLiteral(" · ") + QString::number(leftoverCount) + QStringLiteral(" left behind by apps that are gone");
    return line;
}

std::vector<StartupItem> StartupItemsTexts::filtered(const std::vector<StartupItem>& items, const QString& search) {
    qsizetype first = 0, last = search.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (first < last && blank(search[first])) ++first;
    while (last > first && blank(search[last - 1])) --last;
    if (first == last) return items;
    const QString text = search.mid(first, last - first);
    std::vector<StartupItem> kept;
    for (const StartupItem& item : items) {
        if (display(item.name).contains(text, Qt::CaseInsensitive) ||
            display(item.detailLine()).contains(text, Qt::CaseInsensitive))
            kept.push_back(item);
    }
    return kept;
}

QString StartupItemsTexts::confirmTitle(const std::optional<StartupItem>& item) {
    if (!item) return {};
    const QString name = display(item->name);
    if (item->source == Source::loginItem) return QStringLiteral("Stop “") + name + QStringLiteral("” opening at login?");
    return QStringLiteral("Remove “") + name + QStringLiteral("”?");
}

QString StartupItemsTexts::confirmMessage(const std::optional<StartupItem>& item) {
    if (!item) return {};
    if (item->source == Source::loginItem)
        return QStringLiteral("It won't open when you log in any more. The app itself isn't touched.");
    QString message = QStringLiteral("The job is stopped and its definition (") + display(lastPathComponent(item->url)) +
                      QStringLiteral(") is deleted.");
    if (item->needsPassword()) message += QStringLiteral(" This needs your password.");
    if (!item->programMissing && item->appURL)
        message += QStringLiteral(" Its app may add it back the next time it runs; turning it off is usually safer.");
    return message;
}

QString StartupItemsTexts::confirmButton(const StartupItem& item) {
    return item.source == Source::loginItem ? QStringLiteral("Remove") : QStringLiteral("Delete");
}

} // namespace plenwick
