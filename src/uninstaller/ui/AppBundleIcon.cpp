#include "uninstaller/ui/AppBundleIcon.h"

#include "base/PathNames.h"
#include "runtime/BackgroundTask.h"
#include "runtime/Executor.h"
#include "services/AppBundleInfo.h"
#include "services/AppImage.h"
#include "services/LinuxApps.h"
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

namespace {

std::optional<QImage> imageFile(const std::string& path) {
    const auto bytes = readRegularFile(path, maxBundleImageSize);
    return bytes ? decode(*bytes) : std::nullopt;
}

// The picture of an AppImage, an app folder or a desktop entry, by its entry's Icon.
AppPicture linuxAppPicture(const std::string& path, const struct stat& st) {
    const std::optional<std::string> icon = appEntryIcon(path);
    const bool appImage = S_ISREG(st.st_mode) && !path.ends_with(".desktop");
    if (appImage) {
        if (const auto bytes = readAppImageIcon(path, icon.value_or(""))) return {decode(*bytes), {}};
    }
    if (!icon) return {};
    if (icon->starts_with('/')) return {imageFile(*icon), {}};
    if (S_ISDIR(st.st_mode) && icon->find('/') == std::string::npos)
        for (const char* suffix : {"", ".png", ".svg"})
            if (auto image = imageFile(appendingPathComponent(path, *icon + suffix))) return {image, {}};
    return {std::nullopt, *icon};
}

} // namespace

AppPicture appPicture(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode) && readInfoPlist(path)) return {bundleImage(path), {}};
        return linuxAppPicture(path, st);
    }
    return {};
}

std::optional<QImage> appBundleImage(const std::vector<std::string>& candidates) {
    return appPicture(candidates).image;
}

QIcon appBundleIcon(const AppPicture& picture) {
    if (picture.image) return QIcon(QPixmap::fromImage(*picture.image));
    if (!picture.themeIcon.empty()) {
        const QIcon themed = QIcon::fromTheme(QString::fromStdString(picture.themeIcon));
        if (!themed.isNull()) return themed;
    }
    return genericApplicationIcon();
}

QIcon appBundleIcon(const std::optional<QImage>& image) { return appBundleIcon(AppPicture{image, {}}); }

void loadAppBundleIcon(QObject* owner, std::vector<std::string> candidates, std::function<void(QIcon)> deliver) {
    runInBackground(
        imageReaders(), owner, [candidates = std::move(candidates)] { return appPicture(candidates); },
        [deliver](AppPicture picture) { deliver(appBundleIcon(picture)); },
        [deliver](std::exception_ptr) { deliver(genericApplicationIcon()); });
}

} // namespace plenwick
