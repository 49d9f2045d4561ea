#include "app/HelperController.h"

#include "app/BackgroundTask.h"
#include "platform/MainBundle.h"
#include "services/HelperLocation.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace plenwick {

HelperController::Operation::~Operation() {
    if (--controller_.depth_ > 0 || controller_.dirty_ == 0) return;
    const quint64 fields = std::exchange(controller_.dirty_, 0);
    emit controller_.changed(fields);
}

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
    Operation op(*this);
    if (lastError_ == error) return;
    lastError_ = std::move(error);
    dirty_ |= bit(Field::lastError);
}

void HelperController::readStatus() {
    const LoginItemStatus status = service_->status();
    if (status == status_) return;
    status_ = status;
    dirty_ |= bit(Field::status);
}

void HelperController::setRunning(bool running) {
    if (running == isRunning_) return;
    isRunning_ = running;
    dirty_ |= bit(Field::isRunning);
}

void HelperController::refresh() {
    Operation op(*this);
    readStatus();
    lookUpRunning();
}

void HelperController::lookUpRunning(std::function<void(const std::vector<RunningApp>&)> then) {
    const std::uint64_t generation = ++lookupGeneration_;
    runInBackground(
        *executor_, this, [processes = processes_] { return processes->running(); },
        [this, generation, then = std::move(then)](std::vector<RunningApp> copies) {
            {
                Operation op(*this);
                // A newer lookup's answer is the one that counts.
                if (generation == lookupGeneration_) setRunning(!copies.empty());
            }
            processes_->watchExits(copies, [self = QPointer<HelperController>(this)] {
                if (self) self->refresh();
            });
            if (then) then(copies);
        },
        [](std::exception_ptr) {}); // the running state stays as last seen
}

void HelperController::setEnabled(bool enabled) {
    Operation op(*this);
    try {
        if (enabled) {
            service_->registerItem();
            QTimer::singleShot(launchDelay_, this, [this] {
                refresh();
                if (status_ == LoginItemStatus::enabled) launchHelper();
            });
        } else {
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
    lookUpRunning([this](const std::vector<RunningApp>& running) {
        if (!running.empty() || !processes_->isInstalled()) return;
        processes_->launch();
        refresh();
    });
}

} // namespace plenwick
