#include "shell/ShellProminentButton.h"

#include "shell/ShellStyle.h"

#include <QPushButton>

namespace plenwick {

QColor shellDestructiveColor() { return QColor(255, 59, 48); }

void makeShellProminent(QPushButton* button, const QColor& fill, int height) {
    const QString style = QStringLiteral(
        "QPushButton { background-color: %1; color: white; border: none; border-radius: 5px; padding: 0 14px; }"
        "QPushButton:pressed { background-color: %2; }"
        "QPushButton:disabled { background-color: %3; color: rgba(255, 255, 255, 190); }");
    const QString sheet = style.arg(fill.name(), fill.darker(115).name(),
                                    shellWithOpacity(fill, 0.45).name(QColor::HexArgb));
    if (button->styleSheet() != sheet) button->setStyleSheet(sheet);
    button->setFixedHeight(height);
}

} // namespace plenwick
