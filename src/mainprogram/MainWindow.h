#pragma once
// The main window, "main": the root view as its content, the toolbar row of the
// screen on show, and the menu bar's commands.

#include <QMainWindow>

class QToolBar;

namespace plenwick {

class AppCommands;
class AppState;
class RootView;

class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kDefaultWidth = 1280, kDefaultHeight = 820;
    static constexpr int kMinimumWidth = 960, kMinimumHeight = 620;

    explicit MainWindow(AppState& state, QWidget* parent = nullptr);

    RootView* rootView() const { return root_; }
    AppCommands* commands() const { return commands_; }
    QToolBar* toolbar() const { return toolbar_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppState& state_;
    RootView* root_;
    QToolBar* toolbar_;
    AppCommands* commands_;
};

} // namespace plenwick
