#pragma once
// Background work that runs only when a test says so: each job runs its work, then
// posts the result to the GUI thread, where it is dropped if its owner is gone.

#include "startup/StartupItemsModel.h"

#include <QCoreApplication>
#include <QPointer>

#include <functional>
#include <vector>

namespace plenwick::test {

inline std::function<void()> deferred(QObject* owner, StartupItemsModel::Environment::Work work,
                                      StartupItemsModel::Environment::Failed failed) {
    return [owner = QPointer<QObject>(owner), work = std::move(work), failed = std::move(failed)] {
        std::function<void()> deliver;
        try {
            deliver = work();
        } catch (...) {
            deliver = [failed, error = std::current_exception()] { failed(error); };
        }
        QMetaObject::invokeMethod(
            qApp, [owner, deliver] { if (owner) deliver(); }, Qt::QueuedConnection);
    };
}

class BackgroundJobs {
public:
    decltype(StartupItemsModel::Environment::runInBackground) runner() {
        return [this](QObject* owner, StartupItemsModel::Environment::Work work,
                      StartupItemsModel::Environment::Failed failed) {
            jobs.push_back(deferred(owner, std::move(work), std::move(failed)));
        };
    }
    // Runs the pending jobs (all, or those at the given indices) and delivers their results.
    void run(std::vector<std::size_t> order = {}) {
        if (order.empty())
            for (std::size_t i = 0; i < jobs.size(); ++i) order.push_back(i);
        for (std::size_t i : order) jobs.at(i)();
        std::vector<std::function<void()>> rest;
        for (std::size_t i = 0; i < jobs.size(); ++i)
            if (std::find(order.begin(), order.end(), i) == order.end()) rest.push_back(std::move(jobs[i]));
        jobs = std::move(rest);
        QCoreApplication::sendPostedEvents();
    }
    // Runs work until none is left (a change ends with a load).
    void settle() {
        while (!jobs.empty()) run();
    }
    bool empty() const { return jobs.empty(); }
    std::size_t size() const { return jobs.size(); }

    std::vector<std::function<void()>> jobs;
};

} // namespace plenwick::test
