#include "shell/WindowCloseKeys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include <vector>

namespace plenwick {

void closeWithWindowKeys(QWidget& window) {
    const QKeySequence escape(Qt::Key_Escape);
    bool escapeTaken = false;
    for (const QShortcut* shortcut : window.findChildren<QShortcut*>())
        if (shortcut->keys().contains(escape)) escapeTaken = true;
    std::vector<QKeySequence> keys{QKeySequence(QStringLiteral("Ctrl+W"))};
    if (!escapeTaken) keys.push_back(escape);
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, &window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window, &QWidget::close);
    }
}

} // namespace plenwick
