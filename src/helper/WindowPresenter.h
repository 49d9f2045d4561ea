#pragma once
// The helper's tool windows, made on demand: the uninstaller and the startup-items
// manager. At most one window per identifier: presenting one that is open brings it
// forward and uses nothing else of the call. A closing window leaves the table before
// its close callback runs, so the callback may present a fresh one at once.

#include "helper/HelperWindows.h"

#include "startup/StartupItemsModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

namespace plenwick {

// A window the presenter made; tells the presenter when it has closed.
class PresentedWindow final : public QWidget {
    Q_OBJECT

public:
    PresentedWindow(const QString& identifier, const QString& title, bool resizable, QWidget* content);
    QWidget* content() const noexcept { return content_; }
    bool isResizable() const noexcept { return resizable_; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* content_;
    bool resizable_;
};

class WindowPresenter final : public QObject, public HelperWindows {
    Q_OBJECT

public:
    static constexpr const char* startupItemsWindow = "startup-items";
    static constexpr int resizableWidth = 760, resizableHeight = 600;

    // `startupEnvironment` makes what each new startup-items model uses.
    explicit WindowPresenter(std::function<StartupItemsModel::Environment()> startupEnvironment,
                             QObject* parent = nullptr);
    ~WindowPresenter() override;

    void presentUninstaller(const QString& identifier, const QString& title, bool resizable,
                            std::function<void()> onClose, std::shared_ptr<UninstallSession> session) override;
    // The startup-items view over a new model, made only with a new window.
    void presentStartupItems(const QString& identifier, const QString& title, bool resizable,
                             std::function<void()> onClose);
    void closeWindow(const QString& identifier) override;
    // Adds `action` (and its shortcut) to every window, those open and those to come.
    void addWindowAction(QAction* action);

    // The open window with this identifier, or none.
    PresentedWindow* window(const QString& identifier) const;
    std::size_t windowCount() const noexcept { return entries_.size(); }

private:
    void present(const QString& identifier, const QString& title, bool resizable, std::function<void()> onClose,
                 const std::function<QWidget*()>& makeContent);
    void windowClosed(PresentedWindow* window);

    struct Entry {
        QPointer<PresentedWindow> window;
        std::function<void()> onClose;
    };
    std::function<StartupItemsModel::Environment()> startupEnvironment_;
    std::map<QString, Entry> entries_;
    QList<QAction*> windowActions_;
};

} // namespace plenwick
