#include "uninstaller/ui/AppBundleIcon.h"

#include "base/PathNames.h"
#include "services/AppBundleInfo.h"

#include <QApplication>
#include <QImageReader>
#include <QStyle>

#include <sys/stat.h>

namespace plenwick {

QIcon genericApplicationIcon() {
    const QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    return themed.isNull() ? QApplication::style()->standardIcon(QStyle::SP_DesktopIcon) : themed;
}

std::optional<QIcon> bundleImage(const std::string& bundlePath) {
    const auto info = readInfoPlist(bundlePath);
    const std::string* name = info ? plistString(*info, "CFBundleIconFile") : nullptr;
    if (!name || name->empty() || name->find('/') != std::string::npos) return std::nullopt;
    const std::string resources = appendingPathComponent(bundlePath, "Contents/Resources");
    for (const char* suffix : {"", ".png", ".svg"}) {
        const QString file = QString::fromStdString(appendingPathComponent(resources, *name + suffix));
        QImageReader reader(file);
        if (reader.canRead()) return QIcon(file);
    }
    return std::nullopt;
}

QIcon appBundleIcon(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) continue;
        if (auto image = bundleImage(path)) return *image;
        return genericApplicationIcon();
    }
    return genericApplicationIcon();
}

} // namespace plenwick
