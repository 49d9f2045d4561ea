#include "shell/FileActions.h"

#include "platform/FileManagerReveal.h"
#include "platform/FileURL.h"

#include <QApplication>
#include <QWidget>
#include <QClipboard>
#include <QDesktopServices>
#include <QDrag>
#include <QFile>
#include <QList>
#include <QMimeData>
#include <QStringList>

namespace plenwick {

void openItem(const std::string& path) { QDesktopServices::openUrl(fileURL(path)); }

void revealItem(const std::string& path) { revealInFileManager(path); }

namespace {

QString pathLines(const std::vector<std::string>& paths) {
    QStringList texts;
    for (const std::string& path : paths) texts.push_back(QFile::decodeName(QByteArray::fromStdString(path)));
    return texts.join(QLatin1Char('\n'));
}

} // namespace

QMimeData* fileMimeData(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls.push_back(fileURL(path));
    data->setUrls(urls);
    data->setText(pathLines(paths));
    return data;
}

void copyPaths(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    QApplication::clipboard()->setText(pathLines(paths));
}

void dragItems(QWidget* source, const std::vector<std::string>& paths, const QPixmap& preview, QPoint hotSpot) {
    if (!source || paths.empty()) return;
    auto* drag = new QDrag(source);
    drag->setMimeData(fileMimeData(paths));
    if (!preview.isNull()) {
        drag->setPixmap(preview);
        drag->setHotSpot(hotSpot);
    }
    // Copy only: a file manager that took a move would carry the user's file away.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace plenwick
