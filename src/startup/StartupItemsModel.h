#pragma once
// The state behind one Startup Items window: the items found by the last load,
// whether a load runs, the two errors the window shows and the items being changed.
// Lives on the GUI thread. Loads and agent or login-item changes run in the
// background on copies and come back by queued calls; a load overtaken by a newer
// one is dropped by its generation. Daemon changes and removals of launch-job
// definitions run on the GUI thread, as they ask for the administrator password.
//
// Observers connect to `changed`: one signal per outermost operation, with a bit per
// field that took a different value.

#include "startup/StartupItem.h"
#include "startup/StartupItemsScanner.h"

#include "runtime/Executor.h"
#include "runtime/ObservedFields.h"
#include "services/AdminScript.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plenwick {

class StartupItemsModel final : public QObject {
    Q_OBJECT

public:
    enum class Field : int { items, isLoading, hasLoaded, loginItemsError, actionError, busy, folders };
    using Fields = quint64;
    static constexpr Fields bit(Field field) noexcept { return ObservedFields<Field>::bit(field); }

    // What the model uses of the system; tests substitute each part.
    struct Environment {
        StartupItemsScanner::Environment scanner; // its runner also runs osascript and launchctl changes
        AdminScriptRunner adminScript;            // AdminScript::run when empty
        AdminProgramRunner adminMove;             // the Trash's administrator step; AdminScript::runProgram when empty
        std::shared_ptr<Executor> executor;       // loads, agent and login-item changes; required
    };

    explicit StartupItemsModel(Environment environment,
                               StartupItemsScanner::Folders folders = StartupItemsScanner::Folders::standard(),
                               QObject* parent = nullptr);
    ~StartupItemsModel() override;

    // ---- Observed fields ----
    const std::vector<StartupItem>& items() const noexcept { return items_; }
    bool isLoading() const noexcept { return isLoading_; }
    bool hasLoaded() const noexcept { return hasLoaded_; }
    const std::optional<std::string>& loginItemsError() const noexcept { return loginItemsError_; }
    const std::optional<std::string>& actionError() const noexcept { return actionError_; }
    const std::set<std::string>& busy() const noexcept { return busy_; }
    const StartupItemsScanner::Folders& folders() const noexcept { return folders_; }
    // Counter of loads; not observed.
    std::int64_t refreshGeneration() const noexcept { return refreshGeneration_; }

    // ---- Derived ----
    std::vector<StartupItem> itemsInSource(StartupItem::Source source) const;
    // Items outside apps whose program or app is gone.
    int leftoverCount() const;

    // ---- Operations ----
    // Starts a load and returns at once.
    void refresh();
    // Turns a launch job on or off; login items, helpers inside apps and jobs without
    // a label are left alone.
    void setEnabled(const StartupItem& item, bool enabled);
    // Removes a login item, or moves a launch job's definition to the Trash; helpers
    // inside apps are left alone.
    void remove(const StartupItem& item);
    void setActionError(std::optional<std::string> message);
    void setFolders(StartupItemsScanner::Folders folders);

    // ---- The decisions, exposed for tests ----
    // Source, then lower-cased name, then id.
    static bool order(const StartupItem& a, const StartupItem& b);
    static void sort(std::vector<StartupItem>& items);
    // The administrator script that turns a daemon on or off; it always exits 0.
    static std::string daemonToggleScript(const std::string& label, const std::string& plistPath, bool enabled,
                                          const std::string& launchctl = launchctlToolPath);
    static std::string daemonTogglePrompt(const std::string& name, bool enabled);
    static std::string removePrompt(const std::string& name);
    // "enable"/"disable" of <domain>/<label>, then "bootstrap"/"bootout" only when the
    // first succeeded. The first command's error output when it failed, else nothing.
    static std::optional<std::string> launchctlUserToggle(ProgramRunner& runner, const std::string& domain,
                                                          const std::string& label, bool enabled,
                                                          const std::string& plistPath);
    // Deletes the login item by name; the failure's text, else nothing.
    static std::optional<std::string> deleteLoginItem(ProgramRunner& runner, const std::string& name);

signals:
    void changed(quint64 fields);

private:
    using Operation = ObservedFields<Field>::Operation;
    struct Load;

    // Runs `work` in the background and `deliver` with its result on the GUI thread;
    // when the work throws, `deliver` gets `fallback` of the failure's description.
    template <class Work, class Deliver, class Fallback>
    void inBackground(Work work, Deliver deliver, Fallback fallback);
    void finishLoad(std::int64_t generation, const Load& load);
    void performBusy(const StartupItem& item, std::function<std::optional<std::string>()> action);
    void startRefresh();

    Environment environment_;
    std::vector<StartupItem> items_;
    bool isLoading_ = false;
    bool hasLoaded_ = false;
    std::optional<std::string> loginItemsError_;
    std::optional<std::string> actionError_;
    std::set<std::string> busy_;
    StartupItemsScanner::Folders folders_;
    std::int64_t refreshGeneration_ = 0;
    ObservedFields<Field> observed_{[this](Fields fields) { emit changed(fields); }};
};

} // namespace plenwick
