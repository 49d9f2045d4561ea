#include "startup/StartupItemsModel.h"

#include "runtime/BackgroundTask.h"
#include "services/AdminScript.h"

#include "base/PathNames.h"
#include "base/Utf8.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

using Source = StartupItem::Source;

std::string lowercased(const std::string& name) {
    return QLocale().toLower(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))).toStdString();
}

// What the user reads of a failure that was thrown.
std::string describeFailure(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return repairUtf8(e.what());
    } catch (...) {
        return "An unknown error occurred.";
    }
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool folderWritable(const std::string& path) { return ::access(parentPath(path).c_str(), W_OK) == 0; }

} // namespace

StartupItemsModel::StartupItemsModel(Environment environment, StartupItemsScanner::Folders folders, QObject* parent)
    : QObject(parent), environment_(std::move(environment)), folders_(std::move(folders)) {}

StartupItemsModel::~StartupItemsModel() = default;

template <class Work, class Deliver, class Fallback>
void StartupItemsModel::inBackground(Work work, Deliver deliver, Fallback fallback) {
    // The closures run only while the model exists, so they may hold the model itself.
    runInBackground(
        *environment_.executor, this, std::move(work),
        [this, deliver](auto&& result) { deliver(*this, std::forward<decltype(result)>(result)); },
        [this, deliver, fallback = std::move(fallback)](std::exception_ptr error) {
            deliver(*this, fallback(describeFailure(error)));
        });
}

std::vector<StartupItem> StartupItemsModel::itemsInSource(Source source) const {
    std::vector<StartupItem> matching;
    for (const StartupItem& item : items_)
        if (item.source == source) matching.push_back(item);
    return matching;
}

int StartupItemsModel::leftoverCount() const {
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const StartupItem& item) {
        return item.programMissing && item.source != Source::bundled;
    }));
}

bool StartupItemsModel::order(const StartupItem& a, const StartupItem& b) {
    if (a.source != b.source) return a.source < b.source;
    const std::string nameA = lowercased(a.name), nameB = lowercased(b.name);
    if (nameA != nameB) return nameA < nameB;
    return a.id() < b.id();
}

void StartupItemsModel::sort(std::vector<StartupItem>& items) {
    // The keys once per item, not once per comparison.
    struct Key {
        Source source;
        std::string name;
        std::string id;
    };
    std::vector<Key> keys;
    keys.reserve(items.size());
    for (const StartupItem& item : items) keys.push_back({item.source, lowercased(item.name), item.id()});
    std::vector<std::size_t> indices(items.size());
    std::iota(indices.begin(), indices.end(), 0);
    std::stable_sort(indices.begin(), indices.end(), [&keys](std::size_t i, std::size_t j) {
        const Key& a = keys[i];
        const Key& b = keys[j];
        if (a.source != b.source) return a.source < b.source;
        if (a.name != b.name) return a.name < b.name;
        return a.id < b.id;
    });
    std::vector<StartupItem> sorted;
    sorted.reserve(items.size());
    for (std::size_t index : indices) sorted.push_back(std::move(items[index]));
    items = std::move(sorted);
}

// ---- Loading ----

void StartupItemsModel::refresh() {
    Operation op(observed_);
    startRefresh();
}

void StartupItemsModel::startRefresh() {
    const std::int64_t generation = ++refreshGeneration_;
    observed_.assign(isLoading_, true, Field::isLoading);
    inBackground([folders = folders_, scanner = environment_.scanner] { return StartupItemsScanner::scan(folders, scanner); },
                 [generation](StartupItemsModel& model, std::vector<StartupItem> items) {
                     model.finishLoad(generation, std::move(items));
                 },
                 // A scan that fails lists nothing; the load still ends.
                 [](const std::string&) { return std::vector<StartupItem>(); });
}

void StartupItemsModel::finishLoad(std::int64_t generation, std::vector<StartupItem> items) {
    Operation op(observed_);
    if (generation != refreshGeneration_) return; // a newer load owns the state
    sort(items);
    observed_.assign(items_, std::move(items), Field::items);
    observed_.assign(isLoading_, false, Field::isLoading);
    observed_.assign(hasLoaded_, true, Field::hasLoaded);
}

// ---- Changes ----

std::string StartupItemsModel::daemonTogglePrompt(const std::string& name, bool enabled) {
    return std::string("Plenwick needs your password to turn ") + (enabled ? "on" : "off") + " “" + name + "”.";
}

std::string StartupItemsModel::removePrompt(const std::string& name) {
    return "Plenwick needs your password to remove “" + name + "”.";
}

std::optional<std::string> StartupItemsModel::runUserChange(ProgramRunner& runner, const CommandLine& command) {
    const ProcessResult result = runner.run(command.program, command.arguments);
    if (result.status != 0) return result.error;
    return std::nullopt;
}

void StartupItemsModel::performBusy(const StartupItem& item, std::function<std::optional<std::string>()> action) {
    const std::string id = item.id();
    if (busy_.insert(id).second) observed_.touch(Field::busy);
    inBackground(
        std::move(action),
        [id](StartupItemsModel& model, std::optional<std::string> message) {
            Operation op(model.observed_);
            if (model.busy_.erase(id)) model.observed_.touch(Field::busy);
            if (message && !message->empty())
                model.observed_.assign(model.actionError_, std::move(message), Field::actionError);
            model.startRefresh();
        },
        [](const std::string& message) { return std::optional<std::string>(message); });
}

bool StartupItemsModel::runAsAdministrator(const CommandLine& command, const std::string& prompt) {
    try {
        if (environment_.adminProgram) environment_.adminProgram(command.program, command.arguments, prompt);
        else AdminScript::runProgram(command.program, command.arguments, prompt, environment_.scanner.programRunner());
    } catch (const AdminScript::Failure& failure) {
        if (failure.kind() == AdminScript::Failure::Kind::cancelled) return false;
        observed_.assign(actionError_, std::optional<std::string>(failure.errorDescription()), Field::actionError);
    }
    return true;
}

void StartupItemsModel::setEnabled(const StartupItem& item, bool enabled) {
    Operation op(observed_);
    if (!item.canToggle()) return;
    const auto scope = item.serviceScope();
    if (!scope && item.source == Source::loginItem) {
        // The user's own entry says itself whether it starts.
        performBusy(item, [path = item.url, enabled] { return setAutostartEntryEnabled(path, enabled); });
        return;
    }
    if (!scope) {
        // An entry every user gets: the user's own override turns it off for them.
        performBusy(item, [folder = folders_.userAutostart, name = *item.label, enabled] {
            return enabled ? unhideAutostartEntry(folder, name) : hideAutostartEntry(folder, name);
        });
        return;
    }
    if (*scope == ServiceScope::system) {
        // The window waits while the password is asked for; a dismissed prompt changes nothing.
        if (runAsAdministrator(toggleCommand(*scope, *item.label, enabled), daemonTogglePrompt(item.name, enabled)))
            startRefresh();
        return;
    }
    ProgramRunner* runner = &environment_.scanner.programRunner();
    performBusy(item, [runner, command = toggleCommand(*scope, *item.label, enabled)] {
        return runUserChange(*runner, command);
    });
}

void StartupItemsModel::remove(const StartupItem& item) {
    Operation op(observed_);
    if (item.source == Source::bundled || item.removalRefusal()) return;
    const auto scope = item.serviceScope();
    if (scope == ServiceScope::system || !folderWritable(item.url)) {
        removeAsAdministrator(item);
        return;
    }
    ProgramRunner* runner = &environment_.scanner.programRunner();
    std::optional<CommandLine> disable;
    if (scope && item.label) disable = disableCommand(*scope, *item.label);
    performBusy(item, [runner, disable, path = item.url]() -> std::optional<std::string> {
        // Stopped and disabled first, so no link is left to a unit that is gone.
        std::optional<std::string> disableFailure;
        if (disable) disableFailure = runUserChange(*runner, *disable);
        if (auto failure = deleteDefinition(path)) return failure;
        return disableFailure;
    });
}

void StartupItemsModel::removeAsAdministrator(const StartupItem& item) {
    const std::string prompt = removePrompt(item.name);
    const auto scope = item.serviceScope();
    if (scope == ServiceScope::user && item.label) {
        // Every user's unit: the user's manager stops it for this user without a password.
        if (auto failure = runUserChange(environment_.scanner.programRunner(), disableCommand(*scope, *item.label)))
            if (!failure->empty()) observed_.assign(actionError_, std::move(failure), Field::actionError);
    } else if (scope == ServiceScope::system && item.label) {
        if (!runAsAdministrator(disableCommand(*scope, *item.label), prompt)) return;
    }
    // Disabling removes an instance's enabling link, which is then its whole definition.
    if (exists(item.url)) runAsAdministrator(removeFileCommand(item.url), prompt);
    // Refreshed also when this prompt was dismissed: the unit may be disabled by now.
    startRefresh();
}

void StartupItemsModel::setActionError(std::optional<std::string> message) {
    Operation op(observed_);
    observed_.assign(actionError_, std::move(message), Field::actionError);
}

void StartupItemsModel::setFolders(StartupItemsScanner::Folders folders) {
    Operation op(observed_);
    folders_ = std::move(folders);
    observed_.touch(Field::folders);
}

} // namespace plenwick
