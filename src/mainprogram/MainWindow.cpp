#include "mainprogram/MainWindow.h"

#include "app/AppState.h"
#include "mainprogram/AppCommands.h"
#include "results/RootView.h"
#include "shell/ChooseFolder.h"

#include <QCloseEvent>
#include <QToolBar>

namespace plenwick {

MainWindow::MainWindow(AppState& state, QWidget* parent) : QMainWindow(parent), state_(state) {
    setObjectName(QStringLiteral("main"));
    setContextMenuPolicy(Qt::PreventContextMenu);  // no menu to hide the toolbar
    root_ = new RootView(state_, this);
    setCentralWidget(root_);

    toolbar_ = new QToolBar(QStringLiteral("Toolbar"), this);
    toolbar_->setObjectName(QStringLiteral("MainToolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    QWidget* row = root_->toolbarContent();
    row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar_->addWidget(row);
    addToolBar(Qt::TopToolBarArea, toolbar_);
    // No empty strip: the toolbar is there only while its row has something to offer.
    toolbar_->setVisible(root_->hasToolbarContent());
    connect(root_, &RootView::toolbarContentChanged, toolbar_, &QToolBar::setVisible);

    commands_ = new AppCommands(state_, *this, *root_);
    // The state asks for a folder; the dialog runs once its operation has returned.
    connect(
        &state_, &AppState::folderChoiceRequested, this,
        [this] {
            if (const std::optional<std::string> folder = chooseFolderToScan(this)) state_.startScan(*folder);
        },
        Qt::QueuedConnection);

    setWindowTitle(root_->windowTitleText());
    connect(root_, &RootView::windowTitleTextChanged, this, &QWidget::setWindowTitle);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kDefaultWidth, kDefaultHeight);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A scan does not outlive its window: its workers stop now.
    state_.cancelScan();
    QMainWindow::closeEvent(event);
}

} // namespace plenwick
