#include "shell/ChooseFolder.h"

#include <QFile>
#include <QFileDialog>

namespace plenwick {

std::optional<std::string> chooseFolderToScan(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Scan"));
    dialog.setWindowTitle(QStringLiteral("Choose a folder or disk to scan"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    // The file system gets the name's own bytes, not the displayed text.
    return QFile::encodeName(chosen.front()).toStdString();
}

} // namespace plenwick
