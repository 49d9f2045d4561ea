#include "results/ResultsTexts.h"

#include "platform/ByteCountFormatter.h"
#include "scanner/FileNode.h"
#include "services/Formatters.h"

#include <QKeySequence>

namespace plenwick {

QString resultsTitle(const FileNode* root, const VolumeNameMap& names) {
    return root ? QString::fromStdString(displayName(*root, names)) : QStringLiteral("Plenwick");
}

QString resultsSubtitle(const FileNode* root) {
    if (!root) return {};
    return QString::fromStdString(formatByteCount(root->size()) + " · " + countText(root->fileCount(), "file", "files"));
}

QString backToResultsTitle(const FileNode& root, const VolumeNameMap& names) {
    return QStringLiteral("Back to “") + QString::fromStdString(displayName(root, names)) + QStringLiteral("”");
}

QString visualizationTitle(Visualization visualization) {
    return visualization == Visualization::sunburst ? QStringLiteral("Sunburst") : QStringLiteral("Treemap");
}

QString colorModeTitle(ColorMode mode) {
    switch (mode) {
    case ColorMode::byFolder: return QStringLiteral("By Folder");
    case ColorMode::byKind: return QStringLiteral("By Kind");
    case ColorMode::byType: return QStringLiteral("By Extension");
    }
    return {};
}

QString shortcutText(const char* portableShortcut) {
    return QKeySequence(QString::fromLatin1(portableShortcut), QKeySequence::PortableText).toString(QKeySequence::NativeText);
}

QString helpWithShortcut(const QString& help, const char* portableShortcut) {
    return help + QStringLiteral(" (") + shortcutText(portableShortcut) + QStringLiteral(")");
}

} // namespace plenwick
