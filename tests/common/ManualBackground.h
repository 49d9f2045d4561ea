#pragma once
// Background work of the uninstall sessions and the helper that waits until the test
// runs it; the result (or the failure of work that throws) is delivered only while its
// owner exists.

#include "uninstaller/UninstallSession.h"

#include <QPointer>

#include <cstddef>
#include <exception>
#include <functional>
#include <vector>

namespace plenwick::test {

struct ManualBackground {
    struct Job {
        QPointer<QObject> owner;
        UninstallServices::Work work;
        UninstallServices::Failed failed;
    };
    std::vector<Job> jobs;

    void post(QObject* owner, UninstallServices::Work work, UninstallServices::Failed failed = {}) {
        jobs.push_back({owner, std::move(work), std::move(failed)});
    }
    // The runner to give a session's services.
    decltype(UninstallServices::runInBackground) runner() {
        return [this](QObject* owner, UninstallServices::Work work, UninstallServices::Failed failed) {
            post(owner, std::move(work), std::move(failed));
        };
    }
    void run(std::size_t index) {
        Job job = std::move(jobs.at(index));
        jobs.erase(jobs.begin() + static_cast<std::ptrdiff_t>(index));
        std::function<void()> deliver;
        try {
            deliver = job.work();
        } catch (...) {
            if (job.owner && job.failed) job.failed(std::current_exception());
            return;
        }
        if (job.owner) deliver();
    }
    // Runs every job, oldest first, including those posted meanwhile.
    void runAll() {
        while (!jobs.empty()) run(0);
    }
};

} // namespace plenwick::test
