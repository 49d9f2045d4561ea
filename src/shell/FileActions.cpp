#include "shell/FileActions.h"

#include "base/PathNames.h"
#include "base/Utf8.h"
#include "platform/DesktopOpener.h"
#include "platform/FileManagerReveal.h"
#include "platform/FileURL.h"

#include <QApplication>
#include <QWidget>
#include <QClipboard>
#include <QDrag>
#include <QList>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>

namespace plenwick {

namespace {

const QString openFailedTitle = QStringLiteral("Couldn’t Open Item");
const QString revealFailedTitle = QStringLiteral("Couldn’t Reveal Item");

// The item's name, a colon and the reason, as every failure line reads.
DesktopFailure told(const std::string& path, const QString& title, FileActionFailure failed) {
    if (!failed) return {};
    return [path, title, failed = std::move(failed)](const std::string& reason) {
        failed(title, QString::fromStdString(repairUtf8(lastPathComponent(path)) + ": " + reason));
    };
}

} // namespace

FileActionFailure alertOver(QWidget* widget) {
    return [widget = QPointer<QWidget>(widget)](const QString& title, const QString& message) {
        if (!widget) return;
        auto* alert = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::Ok, widget->window());
        alert->setObjectName(QStringLiteral("FileActionAlert"));
        alert->setTextFormat(Qt::PlainText);
        alert->setInformativeText(message);
        alert->setWindowModality(Qt::WindowModal);
        alert->setAttribute(Qt::WA_DeleteOnClose);
        alert->open();
    };
}

void openItem(const std::string& path, FileActionFailure failed) {
    openOnDesktop(path, told(path, openFailedTitle, std::move(failed)));
}

void revealItem(const std::string& path, FileActionFailure failed) {
    revealInFileManager(path, told(path, revealFailedTitle, std::move(failed)));
}

namespace {

std::string pathLines(const std::vector<std::string>& paths) {
    std::string lines;
    for (const std::string& path : paths) {
        if (!lines.empty()) lines += '\n';
        lines += path;
    }
    return lines;
}

} // namespace

QMimeData* fileMimeData(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls.push_back(fileURL(path));
    data->setUrls(urls);
    const std::string lines = pathLines(paths);
    if (isValidUtf8(lines)) {
        data->setText(QString::fromStdString(lines));
    } else {
        data->setData(QStringLiteral("text/plain"), QByteArray::fromStdString(lines));
        data->setData(QStringLiteral("text/plain;charset=utf-8"), QByteArray::fromStdString(repairUtf8(lines)));
    }
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
    // Copy only: a file manager that took a move would carry the user's file away.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace plenwick
