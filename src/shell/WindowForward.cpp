#include "shell/WindowForward.h"

#include <QApplication>
#include <QWidget>

namespace plenwick {

namespace {
void restore(QWidget& window) {
    if (window.windowState() & Qt::WindowMinimized)
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
}
} // namespace

void bringWindowForward(QWidget& window) {
    restore(window);
    window.show();
    window.raise();
    window.activateWindow();
}

void restoreMinimizedWindows() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog)) restore(*window);
    }
}

} // namespace plenwick
