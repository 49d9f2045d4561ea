#pragma once
// The menu bar's commands: File (scans, disks, results and the uninstaller), Go (the
// focus and the selection), and View (sidebar, inspector, chart and colour pickers).
// Each item is a thin front to an operation of the state; its enabling and title
// follow the state.

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QWidget;

namespace plenwick {

class AppState;
class RootView;

class AppCommands final : public QObject {
    Q_OBJECT

public:
    AppCommands(AppState& state, QMainWindow& window, RootView& root);

    QMenu* fileMenu() const { return file_; }
    QMenu* viewMenu() const { return view_; }
    QMenu* goMenu() const { return go_; }

    QAction* scanFolder() const { return scanFolder_; }
    QAction* rescan() const { return rescan_; }
    QAction* rescanFolder() const { return rescanFolder_; }
    QAction* showDisks() const { return showDisks_; }
    QAction* backToResults() const { return backToResults_; }
    QAction* uninstallApp() const { return uninstallApp_; }
    QAction* startupItems() const { return startupItems_; }
    // The program's settings window.
    QAction* settings() const { return settings_; }
    // How a command opens another window by its identifier ("startup-items", "settings").
    void setOpenWindow(std::function<void(const QString&)> openWindow) { openWindow_ = std::move(openWindow); }
    QAction* quit() const { return quit_; }
    // What "Quit" does: end the program with all its windows. Until it is set, it
    // closes the main window only.
    void setQuit(std::function<void()> quit) { quitProgram_ = std::move(quit); }
    QAction* enclosingFolder() const { return enclosingFolder_; }
    QAction* back() const { return back_; }
    QAction* forward() const { return forward_; }
    QAction* zoomIntoSelection() const { return zoomIntoSelection_; }
    QAction* quickLook() const { return quickLook_; }
    QAction* reveal() const { return reveal_; }
    QAction* addToCollector() const { return addToCollector_; }
    QAction* moveToTrash() const { return moveToTrash_; }
    QAction* toggleSidebar() const { return toggleSidebar_; }
    QAction* toggleInspector() const { return toggleInspector_; }
    QActionGroup* visualizations() const { return visualizations_; }
    QActionGroup* colorModes() const { return colorModes_; }

    // The open panel that "Uninstall App…" asks with (tests answer in its place).
    using AppChooser = std::function<std::optional<std::string>(QWidget* parent)>;
    void setAppChooser(AppChooser chooser) { appChooser_ = std::move(chooser); }

private:
    QAction* add(QMenu* menu, const QString& title, const char* shortcut);
    void refresh();
    void goToEnclosingFolder();
    void zoomIntoSelectionNow();
    void addSelectionToCollector();
    void askToTrashSelection();

    AppState& state_;
    QMainWindow& window_;
    RootView& root_;
    QMenu* file_;
    QMenu* view_;
    QMenu* go_;
    QAction* scanFolder_;
    QAction* rescan_;
    QAction* rescanFolder_;
    QAction* showDisks_;
    QAction* backToResults_;
    QAction* uninstallApp_;
    QAction* startupItems_;
    QAction* settings_;
    std::function<void(const QString&)> openWindow_;
    QAction* quit_;
    std::function<void()> quitProgram_;
    QAction* enclosingFolder_;
    QAction* back_;
    QAction* forward_;
    QAction* zoomIntoSelection_;
    QAction* quickLook_;
    QAction* reveal_;
    QAction* addToCollector_;
    QAction* moveToTrash_;
    QAction* toggleSidebar_;
    QAction* toggleInspector_;
    QActionGroup* visualizations_;
    QActionGroup* colorModes_;
    AppChooser appChooser_;
    // The selection's path and its `trashRefusal`, judged once per selection.
    std::string refusalPath_;
    std::optional<std::string> refusal_;
};

} // namespace plenwick
