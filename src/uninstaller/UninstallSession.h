#pragma once
// The model of one uninstaller window: an application, the leftovers found for it,
// the user's ticks among them, and the move to the Trash (with the app when
// uninstalling) or the hand-over to the collector. Lives on the GUI thread; only the
// leftover search runs in the background.
//
// Observers connect to `changed`: one signal per outermost public operation with a
// bit per observed field whose value really changed. The owner connects to
// `leftoversChosen`, `trashed` and `closeRequested`; it may drop the session from any of
// them.

#include "uninstaller/Remnant.h"

#include "runtime/Executor.h"
#include "runtime/ObservedFields.h"
#include "runtime/TaskClock.h"
#include "services/AppBundleInfo.h"
#include "services/AppRegistry.h"
#include "services/ItemTrasher.h"
#include "services/RunningApps.h"

#include <QObject>
#include <QUuid>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

namespace plenwick {

// What a session uses of the system; tests substitute each part.
struct UninstallServices {
    std::shared_ptr<Executor> executor; // where the leftover search runs
    std::shared_ptr<const AppRegistry> registry;
    std::shared_ptr<RunningApps> runningApps;
    std::shared_ptr<TaskClock> clock; // the waits of the quit watch
    // Moves the items to the Trash (ItemTrasher::trash without a prompt); blocks.
    std::function<ItemTrasher::Result(const std::vector<std::string>& urls)> trash;
    // Tells the helper program which apps were moved to the Trash.
    std::function<void(const std::vector<AppBundleInfo>& apps)> postAppsHandled;
    // Where new sessions search; none: the current user's folders and the system's.
    std::optional<RemnantSearchRoots> searchRoots;
};

class UninstallSession final : public QObject {
    Q_OBJECT

public:
    enum class Mode {
        collector,  // leftovers of an app collected in the scan; handed on by leftoversChosen
        uninstall,  // the app and its leftovers are moved to the Trash
        afterTrash, // the app is already in the Trash; only leftovers move
    };

    class Phase {
    public:
        enum class Kind { finished, scanning, ready, working };
        static Phase scanning() { return Phase(Kind::scanning); }
        static Phase ready() { return Phase(Kind::ready); }
        static Phase working() { return Phase(Kind::working); }
        // `someStayed`: an item is still where it was (the failures may also tell of
        // items that moved but were not wholly given to the user).
        static Phase finished(std::int64_t freed, std::optional<std::string> failures,
                              std::optional<bool> someStayed = std::nullopt) {
            Phase phase(Kind::finished);
            phase.freed_ = freed;
            phase.someStayed_ = someStayed.value_or(failures.has_value());
            phase.failures_ = std::move(failures);
            return phase;
        }
        Kind kind() const noexcept { return kind_; }
        std::int64_t freed() const noexcept { return freed_; }                         // bytes moved
        const std::optional<std::string>& failures() const noexcept { return failures_; } // one line per item
        bool someStayed() const noexcept { return someStayed_; }
        friend bool operator==(const Phase&, const Phase&) = default;

    private:
        explicit Phase(Kind kind) : kind_(kind) {}
        Kind kind_;
        std::int64_t freed_ = 0;
        std::optional<std::string> failures_;
        bool someStayed_ = false;
    };

    // One bit per observed field.
    enum class Field : int { phase, remnants, selected, otherCopies, appSize, isAppRunning, iconURL };
    using Fields = quint64;
    static constexpr Fields bit(Field field) noexcept { return ObservedFields<Field>::bit(field); }

    UninstallSession(AppBundleInfo app, Mode mode, UninstallServices services, QObject* parent = nullptr);
    ~UninstallSession() override;

    // ---- Fixed ----
    const QUuid& id() const noexcept { return id_; }
    const AppBundleInfo& app() const noexcept { return app_; }
    Mode mode() const noexcept { return mode_; }

    // ---- Observed ----
    const Phase& phase() const noexcept { return phase_; }
    const std::vector<Remnant>& remnants() const noexcept { return remnants_; }
    const std::set<std::string>& selected() const noexcept { return selected_; }
    const std::vector<std::string>& otherCopies() const noexcept { return otherCopies_; }
    std::int64_t appSize() const noexcept { return appSize_; }
    bool isAppRunning() const noexcept { return isAppRunning_; }
    const std::optional<std::string>& iconURL() const noexcept { return iconURL_; }

    // ---- Set by the owner before the window shows ----
    const RemnantSearchRoots& searchRoots() const noexcept { return searchRoots_; }
    void setSearchRoots(RemnantSearchRoots roots) { searchRoots_ = std::move(roots); }
    // Where an app already in the Trash was installed (after-trash sessions), which
    // launch jobs may still name.
    const std::optional<std::string>& formerURL() const noexcept { return formerURL_; }
    void setFormerURL(std::optional<std::string> url) { formerURL_ = std::move(url); }

    // ---- Operations (GUI thread) ----
    // Runs the leftover search in the background and applies its result. A later
    // start supersedes an earlier one: only the newest search applies, and
    // `whenDone` runs once that search's result is stored.
    void start(std::function<void()> whenDone = {});
    void setIconURL(std::optional<std::string> url);
    void toggle(const std::string& url);
    void selectAll(bool all);
    // The primary action: hands the ticked leftovers on (leftoversChosen, then
    // closeRequested), or moves them (and in uninstall mode the app, last) to the Trash
    // and tells what went (trashed). Only while ready.
    void moveToTrash();
    // The window's own closing: asks the owner to close the session (closeRequested).
    void requestClose();
    // Asks every running instance to quit and watches until none is left (at most 5 s).
    void quitApp();
    void refreshRunningState();

    // ---- Derived ----
    std::vector<Remnant> selectedRemnants() const; // in the order of remnants
    std::int64_t selectedSize() const;             // plus appSize in uninstall mode
    std::int64_t remnantsSize() const;
    bool selectionNeedsAdmin() const;

signals:
    void changed(quint64 fields);
    // Collector mode: the leftovers the user chose to collect with the app.
    void leftoversChosen(const std::vector<plenwick::Remnant>& remnants);
    // The items that really went to the Trash, by their standardised paths.
    void trashed(const std::vector<std::string>& urls);
    void closeRequested();

private:
    using Operation = ObservedFields<Field>::Operation;
    struct SearchResult {
        std::vector<Remnant> remnants;
        std::vector<std::string> otherCopies;
        std::int64_t appSize = 0;
    };

    void applySearch(std::uint64_t generation, SearchResult result, const std::function<void()>& whenDone);

    QUuid id_;
    AppBundleInfo app_;
    Mode mode_;
    UninstallServices services_;
    RemnantSearchRoots searchRoots_;
    std::optional<std::string> formerURL_;
    // An owner may drop the session from one of its callbacks; then nobody is left to tell.
    ObservedFields<Field> observed_{[this](Fields fields) { emit changed(fields); }};
    std::uint64_t searchGeneration_ = 0;
    std::optional<std::stop_source> search_;

    Phase phase_ = Phase::scanning();
    std::vector<Remnant> remnants_;
    std::set<std::string> selected_;
    std::vector<std::string> otherCopies_;
    std::int64_t appSize_ = 0;
    bool isAppRunning_ = false;
    std::optional<std::string> iconURL_;
};

} // namespace plenwick
