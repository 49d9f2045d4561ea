#include "helper/WindowPresenter.h"

#include "shell/WindowCloseKeys.h"
#include "shell/WindowForward.h"
#include "startup/ui/StartupItemsView.h"
#include "uninstaller/ui/UninstallerView.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace plenwick {

PresentedWindow::PresentedWindow(const QString& identifier, const QString& title, bool resizable, QWidget* content)
    : QWidget(nullptr, Qt::Window), content_(content), resizable_(resizable) {
    // Titled, closable, minimisable; only a resizable one can be maximised.
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;
    if (resizable) flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
    setWindowTitle(title);
    setObjectName(identifier);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    // A fixed window takes the size its content asks for, and follows it.
    if (!resizable) layout->setSizeConstraint(QLayout::SetFixedSize);
    closeWithWindowKeys(*this);
}

void PresentedWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

WindowPresenter::WindowPresenter(std::function<StartupItemsModel::Environment()> startupEnvironment,
                                 QObject* parent)
    : QObject(parent), startupEnvironment_(std::move(startupEnvironment)) {}

WindowPresenter::~WindowPresenter() {
    // The windows go with the presenter, without calling anybody back.
    for (auto& [identifier, entry] : entries_) delete entry.window.data();
}

void WindowPresenter::presentUninstaller(const QString& identifier, const QString& title, bool resizable,
                                         std::function<void()> onClose, std::shared_ptr<UninstallSession> session) {
    present(identifier, title, resizable, std::move(onClose),
            [&session] { return new UninstallerView(std::move(session)); });
}

void WindowPresenter::presentStartupItems(const QString& identifier, const QString& title, bool resizable,
                                          std::function<void()> onClose) {
    present(identifier, title, resizable, std::move(onClose), [this] {
        return new StartupItemsView(std::make_unique<StartupItemsModel>(startupEnvironment_()));
    });
}

void WindowPresenter::present(const QString& identifier, const QString& title, bool resizable,
                              std::function<void()> onClose, const std::function<QWidget*()>& makeContent) {
    if (const auto it = entries_.find(identifier); it != entries_.end() && it->second.window) {
        bringWindowForward(*it->second.window);
        return;
    }
    auto* window = new PresentedWindow(identifier, title, resizable, makeContent());
    if (resizable) window->resize(resizableWidth, resizableHeight);
    else window->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    window->addActions(windowActions_);
    connect(window, &PresentedWindow::closed, this, [this, window] { windowClosed(window); });
    entries_[identifier] = Entry{window, std::move(onClose)};
    bringWindowForward(*window);
}

void WindowPresenter::addWindowAction(QAction* action) {
    windowActions_.append(action);
    for (auto& [identifier, entry] : entries_)
        if (entry.window) entry.window->addAction(action);
}

void WindowPresenter::closeWindow(const QString& identifier) {
    const auto it = entries_.find(identifier);
    if (it != entries_.end() && it->second.window) it->second.window->close();
}

PresentedWindow* WindowPresenter::window(const QString& identifier) const {
    const auto it = entries_.find(identifier);
    return it == entries_.end() ? nullptr : it->second.window.data();
}

void WindowPresenter::windowClosed(PresentedWindow* window) {
    const auto it = entries_.find(window->objectName());
    if (it == entries_.end() || it->second.window != window) return;
    std::function<void()> onClose = std::move(it->second.onClose);
    entries_.erase(it);
    // The window is let go once its close has ended.
    window->deleteLater();
    if (onClose) onClose();
}

} // namespace plenwick
