#include "startup/StartupItemsModel.h"

#include "base/Utf8.h"
#include "runtime/BackgroundTask.h"
#include "services/AdminScript.h"
#include "services/ItemTrasher.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <numeric>
#include <variant>

namespace plenwick {
namespace {

using Source = StartupItem::Source;
using LoginItemsResult = std::variant<std::vector<LoginItemsScript::Entry>, LoginItemsScript::Failure>;

std::string lowercased(const std::string& name) {
    return QLocale().toLower(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))).toStdString();
}

// A tool path goes into a script as it is when it needs no quoting, so the usual
// script reads exactly as written; anything else is quoted like every argument.
std::string toolInScript(const std::string& path) {
    const bool plain = !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '.' ||
               c == '_' || c == '-';
    });
    return plain ? path : shellQuote(path);
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

} // namespace

struct StartupItemsModel::Load {
    std::optional<std::vector<StartupItem>> jobs;
    std::optional<LoginItemsResult> loginItems;
};

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

    auto load = std::make_shared<Load>();
    const StartupItemsScanner::Folders folders = folders_;
    const StartupItemsScanner::Environment scanner = environment_.scanner;
    inBackground(
        [folders, scanner] {
            std::vector<StartupItem> items = StartupItemsScanner::scanLaunchFolder(folders.launchFolders, true, scanner);
            std::vector<StartupItem> bundled = StartupItemsScanner::scanAppBundles(folders.applicationFolders);
            items.insert(items.end(), std::make_move_iterator(bundled.begin()), std::make_move_iterator(bundled.end()));
            return items;
        },
        [generation, load](StartupItemsModel& model, std::vector<StartupItem> items) {
            load->jobs = std::move(items);
            if (load->loginItems) model.finishLoad(generation, *load);
        },
        // A scan that fails gives no launch jobs; the load still ends.
        [](const std::string&) { return std::vector<StartupItem>(); });
    ProgramRunner* runner = &scanner.programRunner();
    inBackground(
        [runner]() -> LoginItemsResult {
            try {
                return LoginItemsScript::parse(LoginItemsScript::run(LoginItemsScript::listScript(), *runner));
            } catch (const LoginItemsScript::Failure& failure) {
                return failure;
            }
        },
        [generation, load](StartupItemsModel& model, LoginItemsResult result) {
            load->loginItems = std::move(result);
            if (load->jobs) model.finishLoad(generation, *load);
        },
        [](const std::string& message) { return LoginItemsResult(LoginItemsScript::Failure::failed(message)); });
}

void StartupItemsModel::finishLoad(std::int64_t generation, const Load& load) {
    Operation op(observed_);
    if (generation != refreshGeneration_) return; // a newer load owns the state
    std::vector<StartupItem> items = *load.jobs;
    if (const auto* failure = std::get_if<LoginItemsScript::Failure>(&*load.loginItems)) {
        observed_.assign(loginItemsError_, std::optional<std::string>(failure->errorDescription()), Field::loginItemsError);
    } else {
        for (const auto& entry : std::get<std::vector<LoginItemsScript::Entry>>(*load.loginItems))
            items.push_back(StartupItemsScanner::loginItemToStartupItem(entry));
        observed_.assign(loginItemsError_, std::optional<std::string>(), Field::loginItemsError);
    }
    sort(items);
    observed_.assign(items_, std::move(items), Field::items);
    observed_.assign(isLoading_, false, Field::isLoading);
    observed_.assign(hasLoaded_, true, Field::hasLoaded);
}

// ---- Changes ----

std::string StartupItemsModel::daemonToggleScript(const std::string& label, const std::string& plistPath,
                                                  bool enabled, const std::string& launchctl) {
    const std::string tool = toolInScript(launchctl);
    const std::string target = shellQuote("system/" + label);
    if (enabled)
        return tool + " enable " + target + "; " + tool + " bootstrap system " + shellQuote(plistPath) +
               " 2>/dev/null; exit 0";
    return tool + " disable " + target + "; " + tool + " bootout " + target + " 2>/dev/null; exit 0";
}

std::string StartupItemsModel::daemonTogglePrompt(const std::string& name, bool enabled) {
    return std::string("Plenwick needs your password to turn ") + (enabled ? "on" : "off") + " “" + name + "”.";
}

std::string StartupItemsModel::removePrompt(const std::string& name) {
    return "Plenwick needs your password to remove “" + name + "”.";
}

std::optional<std::string> StartupItemsModel::launchctlUserToggle(ProgramRunner& runner, const std::string& domain,
                                                                  const std::string& label, bool enabled,
                                                                  const std::string& plistPath) {
    const std::string target = domain + "/" + label;
    const ProcessResult first = runner.run(launchctlToolPath, {enabled ? "enable" : "disable", target});
    if (first.status != 0) return first.error;
    // A job already loaded, or not loaded, is no failure of the change.
    if (enabled) runner.run(launchctlToolPath, {"bootstrap", domain, plistPath});
    else runner.run(launchctlToolPath, {"bootout", target});
    return std::nullopt;
}

std::optional<std::string> StartupItemsModel::deleteLoginItem(ProgramRunner& runner, const std::string& name) {
    try {
        LoginItemsScript::run(LoginItemsScript::deleteScript(name), runner);
        return std::nullopt;
    } catch (const LoginItemsScript::Failure& failure) {
        return failure.errorDescription();
    }
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

void StartupItemsModel::setEnabled(const StartupItem& item, bool enabled) {
    Operation op(observed_);
    const auto domain = item.launchctlDomain();
    if (!domain || !item.label) return;

    if (item.source == Source::systemDaemon) {
        const std::string script = daemonToggleScript(*item.label, item.url, enabled);
        const std::string prompt = daemonTogglePrompt(item.name, enabled);
        try {
            if (environment_.adminScript) environment_.adminScript(script, prompt);
            else AdminScript::run(script, prompt);
        } catch (const AdminScript::Failure& failure) {
            if (failure.kind() == AdminScript::Failure::Kind::cancelled) return;
            observed_.assign(actionError_, std::optional<std::string>(failure.errorDescription()), Field::actionError);
        }
        startRefresh();
        return;
    }

    ProgramRunner* runner = &environment_.scanner.programRunner();
    performBusy(item, [runner, domain = *domain, label = *item.label, enabled, path = item.url] {
        return launchctlUserToggle(*runner, domain, label, enabled, path);
    });
}

void StartupItemsModel::remove(const StartupItem& item) {
    Operation op(observed_);
    switch (item.source) {
    case Source::bundled:
        return;
    case Source::loginItem: {
        ProgramRunner* runner = &environment_.scanner.programRunner();
        performBusy(item, [runner, name = item.name] { return deleteLoginItem(*runner, name); });
        return;
    }
    case Source::userAgent:
    case Source::systemAgent:
    case Source::systemDaemon:
        break;
    }
    ItemTrasher::Environment trasher;
    trasher.runner = environment_.scanner.runner;
    trasher.adminMove = environment_.adminMove;
    const ItemTrasher::Result result = ItemTrasher::trash({item.url}, removePrompt(item.name), trasher);
    if (auto summary = ItemTrasher::failureSummary(result.failures))
        observed_.assign(actionError_, std::optional<std::string>(std::move(*summary)), Field::actionError);
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
