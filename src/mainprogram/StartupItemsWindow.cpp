#include "mainprogram/StartupItemsWindow.h"

#include "shell/WindowCloseKeys.h"
#include "startup/ui/StartupItemsView.h"

#include <QVBoxLayout>

namespace plenwick {

StartupItemsWindow::StartupItemsWindow(StartupItemsModel::Environment environment, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("startup-items"));
    setWindowTitle(QStringLiteral("Startup Items"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new StartupItemsView(std::make_unique<StartupItemsModel>(std::move(environment)), this);
    layout->addWidget(view_);
    resize(kDefaultWidth, kDefaultHeight);
    closeWithWindowKeys(*this);
}

} // namespace plenwick
