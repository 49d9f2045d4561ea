#pragma once
// The state behind one Startup Items window: the items found by the last load,
// whether a load runs, the error the window shows and the items being changed.
// Lives on the GUI thread. Loads and the changes the user makes without a password
// run in the background on copies and come back by queued calls; a load overtaken by
// a newer one is dropped by its generation. Changes through the administrator run on
// the GUI thread while the password is asked for.
//
// Observers connect to `changed`: one signal per outermost operation, with a bit per
// field that took a different value.

#include "startup/StartupItem.h"
#include "startup/StartupChanges.h"
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
    enum class Field : int { items, isLoading, hasLoaded, actionError, busy, folders };
    using Fields = quint64;
    static constexpr Fields bit(Field field) noexcept { return ObservedFields<Field>::bit(field); }

    // What the model uses of the system; tests substitute each part.
    struct Environment {
        StartupItemsScanner::Environment scanner; // its runner also runs the user's systemctl changes
        AdminProgramRunner adminProgram;          // AdminScript::runProgram through the scanner's runner when empty
        std::shared_ptr<Executor> executor;       // loads and the changes without a password; required
    };

    explicit StartupItemsModel(Environment environment,
                               StartupItemsScanner::Folders folders = StartupItemsScanner::Folders::standard(),
                               QObject* parent = nullptr);
    ~StartupItemsModel() override;

    // ---- Observed fields ----
    const std::vector<StartupItem>& items() const noexcept { return items_; }
    bool isLoading() const noexcept { return isLoading_; }
    bool hasLoaded() const noexcept { return hasLoaded_; }
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
    // Turns a service or an autostart entry on or off; items whose state is unknown
    // are left alone.
    void setEnabled(const StartupItem& item, bool enabled);
    // Stops a service and deletes its definition, or deletes an autostart entry; a
    // vendor file under /usr is left alone.
    void remove(const StartupItem& item);
    void setActionError(std::optional<std::string> message);
    void setFolders(StartupItemsScanner::Folders folders);

    // ---- The decisions, exposed for tests ----
    // Source, then lower-cased name, then id.
    static bool order(const StartupItem& a, const StartupItem& b);
    static void sort(std::vector<StartupItem>& items);
    static std::string daemonTogglePrompt(const std::string& name, bool enabled);
    static std::string removePrompt(const std::string& name);
    // Runs a systemctl change as the user; its error output when it failed, else nothing.
    static std::optional<std::string> runUserChange(ProgramRunner& runner, const CommandLine& command);

signals:
    void changed(quint64 fields);

private:
    using Operation = ObservedFields<Field>::Operation;

    // Runs `work` in the background and `deliver` with its result on the GUI thread;
    // when the work throws, `deliver` gets `fallback` of the failure's description.
    template <class Work, class Deliver, class Fallback>
    void inBackground(Work work, Deliver deliver, Fallback fallback);
    void finishLoad(std::int64_t generation, std::vector<StartupItem> items);
    void performBusy(const StartupItem& item, std::function<std::optional<std::string>()> action);
    // Runs a change through the administrator: false when the prompt was dismissed.
    bool runAsAdministrator(const CommandLine& command, const std::string& prompt);
    void removeAsAdministrator(const StartupItem& item);
    void startRefresh();

    Environment environment_;
    std::vector<StartupItem> items_;
    bool isLoading_ = false;
    bool hasLoaded_ = false;
    std::optional<std::string> actionError_;
    std::set<std::string> busy_;
    StartupItemsScanner::Folders folders_;
    std::int64_t refreshGeneration_ = 0;
    ObservedFields<Field> observed_{[this](Fields fields) { emit changed(fields); }};
};

} // namespace plenwick
