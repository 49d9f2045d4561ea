#include "app/HelperController.h"

#include "platform/MainBundle.h"
#include "runtime/BackgroundTask.h"
#include "services/HelperLocation.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace plenwick {

HelperController::HelperController(std::unique_ptr<LoginItemService> service, std::unique_ptr<HelperProcesses> processes,
                                   std::shared_ptr<Executor> executor, std::chrono::milliseconds launchDelay,
                                   QObject* parent)
    : QObject(parent), service_(std::move(service)), processes_(std::move(processes)), executor_(std::move(executor)),
      launchDelay_(launchDelay) {
    // The first status is stored without telling anyone: nobody can have read another.
    status_ = service_->status();
    refresh();
    startsAndEnds_ = processes_->watchStartsAndEnds([self = QPointer<HelperController>(this)] {
        if (self) self->refresh();
    });
}

HelperController::~HelperController() = default;

HelperController& HelperController::shared() {
    static QPointer<HelperController> controller;
    if (!controller) {
        const std::string executable = helperExecutablePath(mainBundlePath());
        controller = new HelperController(
            std::make_unique<AutostartLoginItem>(bundleIdentifier, "Plenwick Helper", executable),
            makeSystemHelperProcesses(std::make_shared<ProcRunningApps>(), executable), std::make_shared<LeavingThreadPoolExecutor>(1), std::chrono::seconds(3),
            QCoreApplication::instance());
    }
    return *controller;
}

std::string helperExecutablePath(const std::string& mainBundlePath) {
    return helperAppURL(mainBundlePath) + "/Contents/MacOS/PlenwickHelper";
}

void HelperController::setLastError(std::optional<std::string> error) {
    Operation op(observed_);
    observed_.assign(lastError_, std::move(error), Field::lastError);
}

void HelperController::readStatus() { observed_.assign(status_, service_->status(), Field::status); }

void HelperController::setStarting(bool starting) {
    ++startGeneration_;
    observed_.assign(isStarting_, starting, Field::isStarting);
}

void HelperController::refresh() {
    Operation op(observed_);
    readStatus();
    lookUpRunning();
}

void HelperController::lookUpRunning(std::function<void(const std::vector<RunningApp>&)> then) {
    const std::uint64_t generation = ++lookupGeneration_;
    runInBackground(
        *executor_, this, [processes = processes_] { return processes->running(); },
        [this, generation, then = std::move(then)](std::vector<RunningApp> copies) {
            {
                Operation op(observed_);
                // A newer lookup's answer is the one that counts.
                if (generation == lookupGeneration_) observed_.assign(isRunning_, !copies.empty(), Field::isRunning);
                if (!copies.empty() && isStarting_) setStarting(false);
            }
            processes_->watchExits(copies, [self = QPointer<HelperController>(this)] {
                if (self) self->refresh();
            });
            if (then) then(copies);
        },
        [](std::exception_ptr) {}); // the running state stays as last seen
}

void HelperController::setEnabled(bool enabled) {
    Operation op(observed_);
    try {
        if (enabled) {
            service_->registerItem();
            setStarting(true);
            QTimer::singleShot(launchDelay_, this, [this, start = startGeneration_] {
                Operation op(observed_);
                refresh();
                if (start != startGeneration_) return; // turned off, or started, meanwhile
                if (status_ == LoginItemStatus::enabled)
                    launchHelper();
                else
                    setStarting(false);
            });
        } else {
            setStarting(false);
            service_->unregisterItem();
            runInBackground(
                *executor_, this,
                [processes = processes_] {
                    for (const RunningApp& copy : processes->running()) processes->terminate(copy);
                    return true;
                },
                [this](bool) { refresh(); }, [this](std::exception_ptr) { refresh(); });
        }
        setLastError(std::nullopt);
    } catch (const LoginItemError& error) {
        setLastError(error.errorDescription());
    }
    refresh();
}

void HelperController::launchHelper() {
    {
        Operation op(observed_);
        setStarting(true);
    }
    const std::uint64_t start = startGeneration_;
    lookUpRunning([this, start](const std::vector<RunningApp>& running) {
        Operation op(observed_);
        if (start != startGeneration_) return;
        if (!running.empty() || !processes_->isInstalled()) {
            setStarting(false);
            return;
        }
        processes_->launch();
        refresh();
        // A copy that never shows is given up after a while: the row offers Start again.
        QTimer::singleShot(launchDelay_, this, [this, start = startGeneration_] {
            Operation op(observed_);
            if (start == startGeneration_) setStarting(false);
        });
    });
}

} // namespace plenwick
