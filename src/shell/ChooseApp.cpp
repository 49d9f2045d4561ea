#include "shell/ChooseApp.h"

#include "base/HomeDirectory.h"
#include "base/PathNames.h"
#include "base/Utf8.h"
#include "services/AppBundleInfo.h"
#include "services/LinuxApps.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <sys/stat.h>

namespace plenwick {
namespace {

std::string bytesOf(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A folder that is an app: a bundle-style one by its name, an app folder by its entry
// (a light read: a bounded listing and a few small files, nothing decompressed).
bool isAppFolderPath(const QString& path) {
    const std::string folder = bytesOf(path);
    return isAppBundlePath(folder) || isAppFolder(folder);
}

// Whether the chosen item is an app to hand on: an app folder, or a file that may be an
// AppImage or a desktop entry (read by the caller).
bool isApp(const QString& path) {
    struct stat st {};
    const std::string item = bytesOf(path);
    if (::lstat(item.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) ? isAppFolderPath(path) : S_ISREG(st.st_mode) && mayBeApp(item);
}

// Apps are files (AppImages, desktop entries) and folders (app folders, bundle-style
// ones): the dialog lists both and accepts one app of either kind.
class AppDialog : public QFileDialog {
public:
    explicit AppDialog(QWidget* parent) : QFileDialog(parent) {
        // An app folder is not opened as a folder: entering one chooses it.
        connect(this, &QFileDialog::directoryEntered, this, [this](const QString& folder) {
            if (!isAppFolderPath(folder)) return;
            chosen_ = folder;
            QDialog::accept();
        });
    }
    QString chosen() const { return chosen_.isEmpty() ? selectedFiles().value(0) : chosen_; }

protected:
    void accept() override {
        const QStringList selected = selectedFiles();
        if (selected.size() != 1) return;
        if (isApp(selected.front())) {
            QDialog::accept();
            return;
        }
        // A plain folder or file: say why it is not taken rather than doing nothing.
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
        QByteArray::fromStdString(appChooserStartFolder(homePath("Applications"), homeDirectory()))));
    dialog.setFileMode(QFileDialog::AnyFile); // files and folders alike
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.chosen()).toStdString();
}

} // namespace plenwick
