#pragma once
// What the uninstaller window shows for a session: titles, the status line, the
// warnings, which phase area, the footer's buttons and their enabling, the rows'
// texts and the heights that follow the content. Pure functions of the session.

#include "uninstaller/Remnant.h"
#include "uninstaller/UninstallSession.h"

#include <optional>
#include <string>
#include <vector>

namespace plenwick::uninstaller_ui {

// "1 leftover item", else "<n> leftover items" (plain digits).
std::string countPhrase(std::size_t n);
std::string title(const UninstallSession& session);
// The kinds among `remnants` in words, each once: "settings, caches and support
// files" when all three are there, "caches" when only caches are.
std::string leftoverKindsPhrase(const std::vector<Remnant>& remnants);
std::string statusLine(const UninstallSession& session);

enum class BannerKind { otherCopy, appRunning };
struct Banner {
    BannerKind kind;
    const char* symbol;                     // symbol name
    std::string text;
    std::optional<std::string> actionTitle; // the quit button of the running-app warning
};
// Zero, one or two warnings, in display order; only while ready or working.
std::vector<Banner> banners(const UninstallSession& session);

enum class PhaseArea { progress, empty, list, finished };
PhaseArea phaseArea(const UninstallSession& session);

// The remnants grouped by kind in kind order, each group in session order.
struct Section {
    Remnant::Kind kind;
    std::vector<Remnant> remnants;
};
std::vector<Section> sections(const std::vector<Remnant>& remnants);
// min(340, max(140, 34 × (sections + remnants) + 20)).
int listHeight(std::size_t sectionCount, std::size_t remnantCount);
// The finished view's scroll area: 160 with a failures text, else 70.
int finishedHeight(bool hasFailures);
// "Done", or "Finished with problems" when a failures text is present.
std::string finishedHeadline(bool hasFailures);

// Footer.
struct Footer {
    bool onlyDone = false;          // finished: a single "Done" button
    bool showsSelection = false;    // "Select All", the selected size, maybe the lock
    bool selectAllChecked = false;
    bool selectAllEnabled = false;
    std::string selectedSize;       // byte count of the selection
    bool showsAdminLock = false;
    bool showsProgress = false;
    std::string secondaryTitle;
    bool secondaryEnabled = false;
    std::string primaryTitle;
    bool primaryEnabled = false;
    bool primaryDestructive = false; // red and destructive; else the accent colour
};
// The number of items the primary action takes: the ticked ones, plus the app in
// uninstall mode.
std::size_t primaryCount(const UninstallSession& session);
std::string primaryTitle(const UninstallSession& session);
std::string secondaryTitle(UninstallSession::Mode mode);
Footer footer(const UninstallSession& session);

// Rows.
std::string rowFileName(const Remnant& remnant);
// "Matched by name — may belong to something else" for a possible match, else the
// folder that holds the item, with the home folder written "~".
std::string rowDetail(const Remnant& remnant);
bool rowDetailIsWarning(const Remnant& remnant);

extern const char* const adminLockHelp; // the footer's lock
extern const char* const rowLockHelp;   // a row's lock
extern const char* const revealHelp;
extern const char* const emptyText;
extern const char* const scanningStatus;

} // namespace plenwick::uninstaller_ui
