#include "results/PreviewContent.h"

#include "base/PathNames.h"
#include "base/Utf8.h"

#include <QFile>
#include <QImageReader>
#include <QMimeDatabase>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

namespace {

QString lastComponent(const std::string& path) {
    return QString::fromStdString(visibleText(lastPathComponent(path)));
}

// A descriptor of the regular file at `path`, or -1: opened without blocking, so a
// FIFO put in its place between the check and the open cannot hang the reader.
int openRegular(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool looksBinary(const QByteArray& data) { return data.contains('\0'); }

} // namespace

PreviewContent loadPreview(const std::string& path, std::stop_token stop) {
    PreviewContent content;
    content.path = path;
    content.name = lastComponent(path);
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        content.kindText = QStringLiteral("Missing item");
        content.iconName = QStringLiteral("dialog-question");
        return content;
    }
    content.exists = true;
    content.modified = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec).addMSecs(st.st_mtim.tv_nsec / 1000000);
    const QMimeDatabase mimes;
    const QString qpath = QFile::decodeName(QByteArray::fromStdString(path));
    if (S_ISDIR(st.st_mode)) {
        content.isFolder = true;
        const QMimeType folder = mimes.mimeTypeForName(QStringLiteral("inode/directory"));
        content.kindText = QStringLiteral("Folder");
        content.iconName = folder.iconName();
        return content;
    }
    if (!S_ISREG(st.st_mode)) {
        // Devices, sockets and FIFOs are described by their inode type alone.
        const QMimeType type = mimes.mimeTypeForFile(qpath, QMimeDatabase::MatchExtension);
        content.kindText = type.comment();
        content.iconName = type.iconName();
        return content;
    }
    content.size = st.st_size;
    if (stop.stop_requested()) return content;

    const int fd = openRegular(path);
    if (fd < 0) {
        const QMimeType type = mimes.mimeTypeForFile(qpath, QMimeDatabase::MatchExtension);
        content.kindText = type.comment();
        content.iconName = type.iconName();
        return content;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QMimeType type = mimes.mimeTypeForFileNameAndData(qpath, &file);
    file.seek(0);
    content.kindText = type.comment();
    content.iconName = type.iconName();
    if (stop.stop_requested()) return content;

    if (type.name().startsWith(QLatin1String("image/")) && content.size <= kPreviewImageFileLimit) {
        QImageReader reader(&file);
        reader.setAutoTransform(true);
        const QSize side = reader.size();
        if (side.isValid() && (side.width() > kPreviewImageSide || side.height() > kPreviewImageSide))
            reader.setScaledSize(side.scaled(kPreviewImageSide, kPreviewImageSide, Qt::KeepAspectRatio));
        QImage image = reader.read();
        if (!image.isNull()) {
            content.kind = PreviewContent::Kind::image;
            content.image = std::move(image);
        }
        return content;
    }
    if (type.inherits(QStringLiteral("text/plain"))) {
        QByteArray head = file.read(kPreviewTextLimit + 1);
        const bool truncated = head.size() > kPreviewTextLimit;
        head.truncate(static_cast<qsizetype>(std::min<std::int64_t>(head.size(), kPreviewTextLimit)));
        if (!looksBinary(head)) {
            content.kind = PreviewContent::Kind::text;
            content.text = QString::fromUtf8(head);
            content.textTruncated = truncated;
        }
    }
    return content;
}

} // namespace plenwick
