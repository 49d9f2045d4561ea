#include "mainprogram/AppCommands.h"

#include "app/AppState.h"
#include "app/CommandShortcuts.h"
#include "app/FailureReport.h"
#include "app/NodeActions.h"
#include "mainprogram/CommandRules.h"
#include "mainprogram/TextPassThrough.h"
#include "results/PickerActions.h"
#include "results/ResultsView.h"
#include "results/RootView.h"
#include "shell/ChooseApp.h"
#include "shell/FileActions.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace plenwick {

AppCommands::AppCommands(AppState& state, QMainWindow& window, RootView& root)
    : QObject(&window), state_(state), window_(window), root_(root), appChooser_(chooseApp) {
    QMenuBar* bar = window_.menuBar();

    file_ = bar->addMenu(QStringLiteral("&File"));
    scanFolder_ = add(file_, QStringLiteral("Scan Folder…"), shortcuts::scanFolder);
    rescan_ = add(file_, QStringLiteral("Rescan"), shortcuts::rescan);
    rescanFolder_ = add(file_, QStringLiteral("Rescan This Folder"), shortcuts::rescanFolder);
    file_->addSeparator();
    showDisks_ = add(file_, QStringLiteral("Show Disks"), shortcuts::showDisks);
    backToResults_ = add(file_, QStringLiteral("Back to Results"), nullptr);
    file_->addSeparator();
    uninstallApp_ = add(file_, QStringLiteral("Uninstall App…"), shortcuts::uninstallApp);
    startupItems_ = add(file_, QStringLiteral("Startup Items"), shortcuts::startupItems);
    // Also while another window is active: it opens or brings forward a window of its own.
    startupItems_->setShortcutContext(Qt::ApplicationShortcut);
    file_->addSeparator();
    settings_ = add(file_, QStringLiteral("Settings…"), shortcuts::settings);
    settings_->setMenuRole(QAction::PreferencesRole);
    settings_->setShortcutContext(Qt::ApplicationShortcut);
    quit_ = add(file_, QStringLiteral("Quit"), shortcuts::quit);
    quit_->setMenuRole(QAction::QuitRole);
    // From any window of the program: it ends them all.
    quit_->setShortcutContext(Qt::ApplicationShortcut);
    connect(scanFolder_, &QAction::triggered, this, [this] { state_.chooseFolder(); });
    connect(rescan_, &QAction::triggered, this, [this] { state_.rescanAll(); });
    connect(rescanFolder_, &QAction::triggered, this, [this] {
        if (const NodeRef folder = folderTarget(state_)) state_.rescanFolder(folder);
    });
    connect(showDisks_, &QAction::triggered, this, [this] { state_.goHome(); });
    connect(backToResults_, &QAction::triggered, this, [this] { state_.backToResults(); });
    connect(uninstallApp_, &QAction::triggered, this, [this] {
        if (const std::optional<std::string> app = appChooser_(&window_)) state_.uninstallApp(*app);
    });
    connect(startupItems_, &QAction::triggered, this, [this] {
        if (openWindow_) openWindow_(QStringLiteral("startup-items"));
    });
    connect(settings_, &QAction::triggered, this, [this] {
        if (openWindow_) openWindow_(QStringLiteral("settings"));
    });
    // The home page's tool cards run these same commands.
    root_.setHomeTools([this] { uninstallApp_->trigger(); }, [this] { startupItems_->trigger(); });
    connect(quit_, &QAction::triggered, this, [this] {
        if (quitProgram_) quitProgram_();
        else window_.close();
    });

    view_ = bar->addMenu(QStringLiteral("&View"));
    toggleSidebar_ = add(view_, QStringLiteral("Hide Sidebar"), shortcuts::toggleSidebar);
    connect(toggleSidebar_, &QAction::triggered, this, [this] {
        if (ResultsView* results = root_.resultsView()) results->setSidebarVisible(!results->isSidebarVisible());
        refresh();
    });
    toggleInspector_ = add(view_, QStringLiteral("Hide Inspector"), shortcuts::toggleInspector);
    connect(toggleInspector_, &QAction::triggered, this, [this] { state_.setShowInspector(!state_.showInspector()); });
    view_->addSection(QStringLiteral("Visualization"));
    visualizations_ = addVisualizationActions(*view_, state_);
    view_->addSeparator();
    view_->addSection(QStringLiteral("Colors"));
    colorModes_ = addColorModeActions(*view_, state_);
    view_->addSeparator();

    go_ = bar->addMenu(QStringLiteral("&Go"));
    enclosingFolder_ = add(go_, QStringLiteral("Enclosing Folder"), shortcuts::enclosingFolder);
    back_ = add(go_, QStringLiteral("Back"), shortcuts::back);
    forward_ = add(go_, QStringLiteral("Forward"), shortcuts::forward);
    zoomIntoSelection_ = add(go_, QStringLiteral("Zoom Into Selection"), shortcuts::zoomIntoSelection);
    go_->addSeparator();
    quickLook_ = add(go_, QStringLiteral("Preview"), shortcuts::quickLook);
    reveal_ = add(go_, QStringLiteral("Reveal in File Manager"), shortcuts::reveal);
    addToCollector_ = add(go_, QStringLiteral("Add to Collector"), shortcuts::addToCollector);
    moveToTrash_ = add(go_, QStringLiteral("Move to Trash…"), shortcuts::moveToTrash);
    // A disabled entry says why (the Trash's own items).
    go_->setToolTipsVisible(true);
    connect(addToCollector_, &QAction::triggered, this, &AppCommands::addSelectionToCollector);
    connect(moveToTrash_, &QAction::triggered, this, &AppCommands::askToTrashSelection);
    connect(enclosingFolder_, &QAction::triggered, this, &AppCommands::goToEnclosingFolder);
    connect(back_, &QAction::triggered, this, [this] { state_.goBack(); });
    connect(forward_, &QAction::triggered, this, [this] { state_.goForward(); });
    connect(zoomIntoSelection_, &QAction::triggered, this, &AppCommands::zoomIntoSelectionNow);
    connect(quickLook_, &QAction::triggered, this, [this] {
        if (const NodeRef& selection = state_.selection()) state_.setQuickLookURL(selection->url());
    });
    connect(reveal_, &QAction::triggered, this, [this] {
        if (const NodeRef& selection = state_.selection()) revealItem(selection->url(), reportTo(state_));
    });

    connect(&state_, &AppState::changed, this, [this] { refresh(); });
    connect(&root_, &QStackedWidget::currentChanged, this, [this] { refresh(); });
    refresh();
}

QAction* AppCommands::add(QMenu* menu, const QString& title, const char* shortcut) {
    QAction* action = menu->addAction(title);
    if (shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(shortcut), QKeySequence::PortableText));
    // The menu bar's items work while the main window is active, whatever has the focus.
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

void AppCommands::goToEnclosingFolder() {
    if (passToEditableText(TextCommand::moveToBeginningOfDocument)) return;
    const NodeRef& focus = state_.focus();
    if (focus && focus->parent()) state_.navigate(retainNode(focus->parent()));
}

void AppCommands::zoomIntoSelectionNow() {
    if (passToEditableText(TextCommand::moveToEndOfDocument)) return;
    if (NodeRef selection = state_.selection()) state_.navigate(selection);
}

void AppCommands::addSelectionToCollector() {
    if (passToEditableText(TextCommand::deleteToBeginningOfLine)) return;
    if (NodeRef selection = state_.selection()) state_.addToCollector({selection});
}

void AppCommands::askToTrashSelection() {
    // Only a node of the current tree, never its root, awaits the confirmation.
    const NodeRef selection = state_.selection();
    if (!selection || !selection->parent() || !state_.root()) return;
    for (const FileNode* n = selection.get(); n != state_.root().get(); n = n->parent())
        if (!n->parent()) return;
    state_.setPendingTrash(selection);
}

void AppCommands::refresh() {
    if (const NodeRef& selection = state_.selection()) {
        std::string path = selection->url();
        if (path != refusalPath_) {
            refusal_ = trashRefusal(*selection);
            refusalPath_ = std::move(path);
        }
    } else {
        refusalPath_.clear();
        refusal_.reset();
    }
    const CommandStates s = commandStates(state_, refusal_);
    scanFolder_->setEnabled(s.scanFolder);
    rescan_->setEnabled(s.rescan);
    rescanFolder_->setEnabled(s.rescanFolder);
    showDisks_->setEnabled(s.showDisks);
    backToResults_->setEnabled(s.backToResults);
    enclosingFolder_->setEnabled(s.enclosingFolder);
    back_->setEnabled(s.back);
    forward_->setEnabled(s.forward);
    zoomIntoSelection_->setEnabled(s.zoomIntoSelection);
    quickLook_->setEnabled(s.quickLook);
    reveal_->setEnabled(s.reveal);
    addToCollector_->setEnabled(s.addToCollector);
    moveToTrash_->setEnabled(s.moveToTrash);
    addToCollector_->setToolTip(s.selectionRefusal);
    moveToTrash_->setToolTip(s.selectionRefusal);
    toggleInspector_->setEnabled(s.toggleInspector);
    toggleInspector_->setText(s.inspectorTitle);
    toggleSidebar_->setEnabled(s.toggleSidebar);
    const ResultsView* results = root_.resultsView();
    toggleSidebar_->setText(results && !results->isSidebarVisible() ? QStringLiteral("Show Sidebar")
                                                                    : QStringLiteral("Hide Sidebar"));
    markVisualization(*visualizations_, state_);
    markColorMode(*colorModes_, state_);
}

} // namespace plenwick
