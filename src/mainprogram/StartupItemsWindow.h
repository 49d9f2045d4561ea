#pragma once
// The "startup-items" window: the Startup Items view on a model of its own.

#include "startup/StartupItemsModel.h"

#include <QWidget>

namespace plenwick {

class StartupItemsView;

class StartupItemsWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDefaultWidth = 760, kDefaultHeight = 620;

    explicit StartupItemsWindow(StartupItemsModel::Environment environment, QWidget* parent = nullptr);
    StartupItemsView* view() const noexcept { return view_; }

private:
    StartupItemsView* view_;
};

} // namespace plenwick
