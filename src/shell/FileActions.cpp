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

QMimeData* fileMimeData(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QStringList texts;
    for (const std::string& path : paths) {
        urls.push_back(fileURL(path));
        texts.push_back(QFile::decodeName(QByteArray::fromStdString(path)));
    }
    data->setUrls(urls);
    data->setText(texts.join(QLatin1Char('\n')));
    return data;
}

void copyPaths(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    QApplication::clipboard()->setMimeData(fileMimeData(paths));
}

void dragItems(QWidget* source, const std::vector<std::string>& paths, const QPixmap& preview, QPoint hotSpot) {
    if (!source || paths.empty()) return;
    auto* drag = new QDrag(source);
    drag->setMimeData(fileMimeData(paths));
    if (!preview.isNull()) {
        drag->setPixmap(preview);
        drag->setHotSpot(hotSpot);
    }
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

} // namespace plenwick
