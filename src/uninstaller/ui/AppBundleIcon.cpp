#include "uninstaller/ui/AppBundleIcon.h"

#include "base/PathNames.h"
#include "runtime/BackgroundTask.h"
#include "runtime/Executor.h"
#include "services/AppBundleInfo.h"
#include "services/RegularFile.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QPixmap>
#include <QPointer>
#include <QStyle>

#include <sys/stat.h>

namespace plenwick {

namespace {

// An icon is shown at a few dozen pixels: a huge image is scaled down as it is read.
constexpr int maxImageSide = 1024;

// The readers' own thread, owned by the application object so that it goes before
// the program's static objects; a read stuck on a dead mount doesn't hold up the exit.
class ImageReaders final : public QObject {
public:
    explicit ImageReaders(QObject* parent) : QObject(parent) {}
    LeavingThreadPoolExecutor executor{1};
};

Executor& imageReaders() {
    static QPointer<ImageReaders> readers;
    if (!readers) readers = new ImageReaders(QCoreApplication::instance());
    return readers->executor;
}

std::optional<QImage> decode(const std::string& bytes) {
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead()) return std::nullopt;
    const QSize size = reader.size();
    if (size.width() > maxImageSide || size.height() > maxImageSide)
        reader.setScaledSize(size.scaled(maxImageSide, maxImageSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return image;
}

} // namespace

QIcon genericApplicationIcon() {
    const QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    return themed.isNull() ? QApplication::style()->standardIcon(QStyle::SP_DesktopIcon) : themed;
}

std::optional<QImage> bundleImage(const std::string& bundlePath) {
    const auto info = readInfoPlist(bundlePath);
    const std::string* name = info ? plistString(*info, "CFBundleIconFile") : nullptr;
    if (!name || name->empty() || name->find('/') != std::string::npos) return std::nullopt;
    const std::string resources = appendingPathComponent(bundlePath, "Contents/Resources");
    for (const char* suffix : {"", ".png", ".svg"}) {
        const auto bytes = readRegularFile(appendingPathComponent(resources, *name + suffix), maxBundleImageSize);
        if (!bytes) continue;
        if (auto image = decode(*bytes)) return image;
    }
    return std::nullopt;
}

std::optional<QImage> appBundleImage(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) return bundleImage(path);
    }
    return std::nullopt;
}

QIcon appBundleIcon(const std::optional<QImage>& image) {
    return image ? QIcon(QPixmap::fromImage(*image)) : genericApplicationIcon();
}

void loadAppBundleIcon(QObject* owner, std::vector<std::string> candidates, std::function<void(QIcon)> deliver) {
    runInBackground(
        imageReaders(), owner, [candidates = std::move(candidates)] { return appBundleImage(candidates); },
        [deliver](std::optional<QImage> image) { deliver(appBundleIcon(image)); },
        [deliver](std::exception_ptr) { deliver(genericApplicationIcon()); });
}

} // namespace plenwick
