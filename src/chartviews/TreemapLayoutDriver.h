#pragma once
// Runs a treemap layout build on the GUI thread one slice per turn of the event
// loop, driven by a zero-time timer, so the interface stays responsive.

#include "charts/TreemapLayoutJob.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace plenwick {

class TreemapLayoutDriver final : public QObject {
    Q_OBJECT

public:
    // The layout, or none when the build was given up.
    using Completion = std::function<void(std::optional<TreemapLayout>)>;

    explicit TreemapLayoutDriver(QObject* parent = nullptr);

    // Starts `job`, replacing (and dropping) a build still running. `done` is called
    // from the event loop once the job has finished or given up.
    void start(std::unique_ptr<TreemapLayoutJob> job, Completion done);
    // Cancels the running build: it gives up at its next slice.
    void cancel();
    bool isRunning() const noexcept { return job_ != nullptr; }

private:
    void runSlice();

    QTimer timer_;
    std::unique_ptr<TreemapLayoutJob> job_;
    Completion done_;
};

} // namespace plenwick
