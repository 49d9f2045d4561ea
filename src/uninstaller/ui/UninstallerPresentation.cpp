#include "uninstaller/ui/UninstallerPresentation.h"

#include "platform/ByteCountFormatter.h"
#include "base/PathNames.h"
#include "base/Utf8.h"
#include "services/Formatters.h"

#include <algorithm>

namespace plenwick::uninstaller_ui {

const char* const adminLockHelp = "Some items need your administrator password";
const char* const rowLockHelp = "Owned by the system — moving it needs your password";
const char* const revealHelp = "Reveal in File Manager";
const char* const emptyText = "No leftovers found";
const char* const scanningStatus = "Looking for its preferences, caches and support files…";

namespace {

using Mode = UninstallSession::Mode;
using PhaseKind = UninstallSession::Phase::Kind;

bool isReadyOrWorking(const UninstallSession& session) {
    const PhaseKind kind = session.phase().kind();
    return kind == PhaseKind::ready || kind == PhaseKind::working;
}

// A kind of leftover in words, in the order the phrase names them: settings, caches
// and support files first, as an app's leftovers are usually told.
struct KindWords {
    Remnant::Kind kind;
    const char* words;
};
constexpr KindWords kindWords[] = {
    {Remnant::Kind::preferences, "settings"},
    {Remnant::Kind::caches, "caches"},
    {Remnant::Kind::applicationSupport, "data"},
    {Remnant::Kind::containers, "Flatpak data"},
    {Remnant::Kind::groupContainers, "shared containers"},
    {Remnant::Kind::launchItems, "startup entries"},
    {Remnant::Kind::helperTools, "privileged helpers"},
    {Remnant::Kind::savedState, "saved window state"},
    {Remnant::Kind::webData, "web data"},
    {Remnant::Kind::logs, "logs"},
    {Remnant::Kind::crashReports, "crash reports"},
};

} // namespace

std::string leftoverKindsPhrase(const std::vector<Remnant>& remnants) {
    std::vector<const char*> found;
    for (const KindWords& k : kindWords)
        if (std::any_of(remnants.begin(), remnants.end(), [&](const Remnant& r) { return r.kind == k.kind; }))
            found.push_back(k.words);
    std::string phrase;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0) phrase += i + 1 == found.size() ? " and " : ", ";
        phrase += found[i];
    }
    return phrase;
}

std::string countPhrase(std::size_t n) {
    return decimalCountText(static_cast<std::int64_t>(n), "leftover item", "leftover items");
}

std::string title(const UninstallSession& session) {
    const std::string& name = session.app().name;
    switch (session.mode()) {
    case Mode::collector: return "Also remove what “" + name + "” left behind?";
    case Mode::uninstall: return "Uninstall “" + name + "”";
    case Mode::afterTrash: return "“" + name + "” was moved to the Trash";
    }
    return {};
}

std::string statusLine(const UninstallSession& session) {
    const UninstallSession::Phase& phase = session.phase();
    if (phase.kind() == PhaseKind::scanning) return scanningStatus;
    if (phase.kind() == PhaseKind::finished) {
        std::string line = phase.freed() > 0
                               ? "Moved to the Trash — about " + formatByteCount(phase.freed()) +
                                     " will be freed when you empty it."
                               : std::string("Nothing was moved.");
        if (phase.someStayed()) line += " Some items couldn’t be moved.";
        return line;
    }
    const std::size_t n = session.remnants().size();
    const std::string total = formatByteCount(session.remnantsSize());
    if (n == 0) {
        if (session.mode() == Mode::uninstall)
            return "No leftover files found — only the app itself (" + formatByteCount(session.appSize()) +
                   ") will be moved to the Trash.";
        return "It didn’t leave any files behind.";
    }
    switch (session.mode()) {
    case Mode::collector:
        return "Found " + countPhrase(n) + " (" + total + ") in settings, data and cache folders. Ticked items join the app in the collector.";
    case Mode::uninstall:
        return "The app (" + formatByteCount(session.appSize()) + ") and " + countPhrase(n) + " (" + total +
               ") it left in settings, data and cache folders.";
    case Mode::afterTrash:
        return "It left " + countPhrase(n) + " (" + total + ") behind: " + leftoverKindsPhrase(session.remnants()) +
               ".";
    }
    return {};
}

std::vector<Banner> banners(const UninstallSession& session) {
    std::vector<Banner> shown;
    if (!isReadyOrWorking(session)) return shown;
    if (!session.otherCopies().empty()) {
        shown.push_back({BannerKind::otherCopy, "exclamationmark.triangle.fill",
                         "Another copy is still installed at " + repairUtf8(abbreviatedPath(session.otherCopies().front())) +
                             ". It shares these files, so nothing is ticked.",
                         std::nullopt});
    }
    if (session.isAppRunning() && session.mode() != Mode::afterTrash) {
        const std::string& name = session.app().name;
        shown.push_back({BannerKind::appRunning, "play.circle.fill",
                         name + " is running. Quit it first so it doesn’t recreate its files.", "Quit " + name});
    }
    return shown;
}

PhaseArea phaseArea(const UninstallSession& session) {
    switch (session.phase().kind()) {
    case PhaseKind::scanning: return PhaseArea::progress;
    case PhaseKind::finished: return PhaseArea::finished;
    case PhaseKind::ready:
    case PhaseKind::working: break;
    }
    return session.remnants().empty() ? PhaseArea::empty : PhaseArea::list;
}

std::vector<Section> sections(const std::vector<Remnant>& remnants) {
    std::vector<Section> grouped;
    for (Remnant::Kind kind : Remnant::allKinds()) {
        Section section{kind, {}};
        for (const Remnant& r : remnants)
            if (r.kind == kind) section.remnants.push_back(r);
        if (!section.remnants.empty()) grouped.push_back(std::move(section));
    }
    return grouped;
}

int listHeight(std::size_t sectionCount, std::size_t remnantCount) {
    const int rows = static_cast<int>(std::min<std::size_t>(sectionCount + remnantCount, 1000));
    return std::min(340, std::max(140, 34 * rows + 20));
}

int finishedHeight(bool hasFailures) { return hasFailures ? 160 : 70; }

std::string finishedHeadline(bool hasFailures) { return hasFailures ? "Finished with problems" : "Done"; }

std::size_t primaryCount(const UninstallSession& session) {
    return session.selected().size() + (session.mode() == Mode::uninstall ? 1 : 0);
}

std::string primaryTitle(const UninstallSession& session) {
    const std::size_t n = primaryCount(session);
    const bool collector = session.mode() == Mode::collector;
    const std::string items = decimalCountText(static_cast<std::int64_t>(n), "Item", "Items");
    return collector ? "Add " + items + " to Collector" : "Move " + items + " to Trash";
}

std::string secondaryTitle(Mode mode) {
    switch (mode) {
    case Mode::collector: return "Just the App";
    case Mode::uninstall: return "Cancel";
    case Mode::afterTrash: return "Keep Them";
    }
    return {};
}

Footer footer(const UninstallSession& session) {
    Footer f;
    const PhaseKind kind = session.phase().kind();
    if (kind == PhaseKind::finished) {
        f.onlyDone = true;
        return f;
    }
    const bool ready = kind == PhaseKind::ready;
    f.showsSelection = !session.remnants().empty();
    f.selectAllChecked = session.selected().size() == session.remnants().size();
    f.selectAllEnabled = ready;
    f.selectedSize = formatByteCount(session.selectedSize());
    f.showsAdminLock = session.selectionNeedsAdmin() && session.mode() != Mode::collector;
    f.showsProgress = kind == PhaseKind::working;
    f.secondaryTitle = secondaryTitle(session.mode());
    f.secondaryEnabled = kind != PhaseKind::working;
    f.primaryTitle = primaryTitle(session);
    f.primaryEnabled = ready && primaryCount(session) > 0;
    f.primaryDestructive = session.mode() != Mode::collector;
    return f;
}

std::string rowFileName(const Remnant& remnant) { return repairUtf8(lastPathComponent(remnant.url)); }

std::string rowDetail(const Remnant& remnant) {
    if (rowDetailIsWarning(remnant)) return "Matched by name — may belong to something else";
    return repairUtf8(abbreviatedPath(parentPath(remnant.url)));
}

bool rowDetailIsWarning(const Remnant& remnant) { return remnant.confidence == Remnant::Confidence::possible; }

} // namespace plenwick::uninstaller_ui
