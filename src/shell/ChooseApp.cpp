#include "shell/ChooseApp.h"

#include "base/HomeDirectory.h"
#include "base/PathNames.h"
#include "base/Utf8.h"
#include "services/AppBundleInfo.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <sys/stat.h>

namespace plenwick {
namespace {

bool isApp(const QString& path) { return isAppBundlePath(QFile::encodeName(path).toStdString()); }

// Application bundles are folders here: the dialog lists folders and accepts only a ".app".
class AppDialog : public QFileDialog {
public:
    explicit AppDialog(QWidget* parent) : QFileDialog(parent) {
        // An app is not opened as a folder: entering one chooses it.
        connect(this, &QFileDialog::directoryEntered, this, [this](const QString& folder) {
            if (!isApp(folder)) return;
            chosen_ = folder;
            QFileDialog::accept();
        });
    }
    QString chosen() const { return chosen_.isEmpty() ? selectedFiles().value(0) : chosen_; }

protected:
    void accept() override {
        const QStringList selected = selectedFiles();
        if (selected.size() != 1) return;
        if (isApp(selected.front())) {
            QFileDialog::accept();
            return;
        }
        // A plain folder: say why it is not taken rather than doing nothing.
        QMessageBox alert(QMessageBox::Warning, appChoiceRefusalTitle,
                          QString::fromStdString(notAnAppMessage(QFile::encodeName(selected.front()).toStdString())),
                          QMessageBox::Ok, this);
        alert.setWindowModality(Qt::WindowModal);
        alert.exec();
    }

private:
    QString chosen_;
};

} // namespace

std::string notAnAppMessage(const std::string& path) {
    return "“" + repairUtf8(lastPathComponent(path)) + "” isn’t an app.";
}

std::string appChooserStartFolder(const std::string& applications, const std::string& home) {
    struct stat info {};
    return ::stat(applications.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? applications : home;
}

std::optional<std::string> chooseApp(QWidget* parent) {
    AppDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QStringLiteral("Choose an App to Uninstall"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Uninstall…"));
    dialog.setDirectory(QFile::decodeName(
        QByteArray::fromStdString(appChooserStartFolder("/Applications", homeDirectory()))));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.chosen()).toStdString();
}

} // namespace plenwick
