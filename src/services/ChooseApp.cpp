#include "services/ChooseApp.h"

#include <QFile>
#include <QFileDialog>

namespace plenwick {
namespace {

// Application bundles are folders here: the dialog lists folders and accepts only a ".app".
class AppDialog : public QFileDialog {
public:
    explicit AppDialog(QWidget* parent) : QFileDialog(parent) {}

protected:
    void accept() override {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && chosen.front().endsWith(QStringLiteral(".app"))) QFileDialog::accept();
    }
};

} // namespace

std::optional<std::string> chooseApp(QWidget* parent) {
    AppDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QStringLiteral("Choose an App to Uninstall"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Uninstall…"));
    dialog.setDirectory(QStringLiteral("/Applications"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setNameFilter(QStringLiteral("Applications (*.app)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

} // namespace plenwick
