#include "results/FileTypesModel.h"

#include "app/CategoryColors.h"
#include "platform/ByteCountFormatter.h"
#include "services/Formatters.h"

#include <algorithm>
#include <array>

namespace plenwick {

namespace {

QString categoryTitle(FileCategory category) { return QString::fromUtf8(fileCategoryTitle(category)); }

double share(std::int64_t size, std::int64_t total) {
    return total > 0 ? static_cast<double>(size) / static_cast<double>(total) : 0.0;
}

std::int64_t totalSize(const std::vector<FileTypeStat>& stats) {
    std::int64_t total = 0;
    for (const FileTypeStat& s : stats) total += s.size;
    return total;
}

QString filesText(std::int64_t count) { return QString::fromStdString(countText(count, "file", "files")); }

QString extensionTitle(const std::string& extension) {
    return extension.empty() ? QStringLiteral("No extension") : QStringLiteral(".") + QString::fromUtf8(extension);
}

} // namespace

QString fileTypesSegmentTitle(FileTypesSegment segment) {
    return segment == FileTypesSegment::kinds ? QStringLiteral("Kinds") : QStringLiteral("Extensions");
}

QString fileTypesScopeTitle(FileTypesScope scope) {
    return scope == FileTypesScope::wholeScan ? QStringLiteral("Whole Scan") : QStringLiteral("Current Folder");
}

std::vector<FileTypesRow> fileTypesKindRows(const std::vector<FileTypeStat>& stats) {
    struct Group {
        std::int64_t size = 0, count = 0, extensions = 0;
        bool present = false;
    };
    std::array<Group, allFileCategories.size()> groups{};
    for (const FileTypeStat& s : stats) {
        Group& g = groups[static_cast<std::size_t>(s.category)];
        g.size += s.size;
        g.count += s.count;
        g.extensions += 1;
        g.present = true;
    }
    const std::int64_t total = totalSize(stats);
    std::vector<FileCategory> order;
    for (FileCategory c : allFileCategories)
        if (groups[static_cast<std::size_t>(c)].present) order.push_back(c);
    // Stable: equal totals keep the categories' declaration order.
    std::stable_sort(order.begin(), order.end(), [&groups](FileCategory a, FileCategory b) {
        return groups[static_cast<std::size_t>(a)].size > groups[static_cast<std::size_t>(b)].size;
    });
    std::vector<FileTypesRow> rows;
    rows.reserve(order.size());
    for (FileCategory c : order) {
        const Group& g = groups[static_cast<std::size_t>(c)];
        FileTypesRow row;
        row.id = QStringLiteral("kind:") + QString::fromUtf8(rawValue(c));
        row.title = categoryTitle(c);
        // "type" rather than "extension": short enough to stay whole beside the title and
        // size at the inspector's default width.
        row.subtitle = QString::fromStdString(countText(g.extensions, "type", "types"));
        row.symbolName = std::string(fileCategorySymbolName(c));
        row.category = c;
        row.rgb = categoryColor(c);
        row.size = g.size;
        row.count = g.count;
        row.fraction = share(g.size, total);
        row.filter = TypeFilter::category(c);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<FileTypesRow> fileTypesExtensionRows(const std::vector<FileTypeStat>& stats, const ExtensionColors& colors) {
    const std::int64_t total = totalSize(stats);
    std::vector<FileTypesRow> rows;
    rows.reserve(stats.size());
    for (const FileTypeStat& s : stats) {
        FileTypesRow row;
        row.id = QStringLiteral("ext:") + QString::fromUtf8(s.ext);
        row.title = extensionTitle(s.ext);
        row.subtitle = categoryTitle(s.category);
        row.symbolName = std::string(fileCategorySymbolName(s.category));
        row.category = s.category;
        const auto color = colors.find(s.ext);
        row.rgb = color != colors.end() ? color->second : s.rgb;
        row.size = s.size;
        row.count = s.count;
        row.fraction = share(s.size, total);
        row.filter = TypeFilter::fileExtension(s.ext);
        rows.push_back(std::move(row));
    }
    return rows;
}

QString fileTypesSummaryText(const std::vector<FileTypeStat>& stats) {
    std::int64_t count = 0;
    for (const FileTypeStat& s : stats) count += s.count;
    return QString::fromStdString(formatByteCount(totalSize(stats))) + QStringLiteral(" · ") + filesText(count);
}

QString fileTypesShareText(std::int64_t count, double fraction) {
    return filesText(count) + QStringLiteral(" · ") + QString::fromStdString(formatPercent(fraction));
}

QString fileTypesRowHelp(const QString& title, bool selected) {
    return (selected ? QStringLiteral("Click to stop highlighting ") : QStringLiteral("Click to highlight ")) + title +
           QStringLiteral(" in the chart");
}

std::optional<FileCategory> fileTypesFilterCategory(const std::optional<TypeFilter>& filter,
                                                    const std::vector<FileTypeStat>& wholeScanStats) {
    if (!filter) return std::nullopt;
    const std::string* extension = filter->asFileExtension();
    if (!extension) return std::nullopt;
    for (const FileTypeStat& s : wholeScanStats)
        if (s.ext == *extension) return s.category;
    return categoryForExtension(*extension).value_or(FileCategory::other);
}

bool fileTypesRowMatches(const FileTypesRow& row, const TypeFilter& filter, std::optional<FileCategory> filterCategory) {
    const bool isKindRow = row.filter.asCategory() != nullptr;
    if (const FileCategory* category = filter.asCategory()) return row.category == *category;
    if (isKindRow) return filterCategory && *filterCategory == row.category;
    return row.filter == filter;
}

bool fileTypesRowDimmed(const FileTypesRow& row, const std::optional<TypeFilter>& filter,
                        std::optional<FileCategory> filterCategory) {
    return filter && !fileTypesRowMatches(row, *filter, filterCategory);
}

FileTypesHighlight fileTypesHighlight(const TypeFilter& filter, const ExtensionColors& colors) {
    if (const FileCategory* category = filter.asCategory()) return {categoryTitle(*category), categoryColor(*category)};
    const std::string& extension = *filter.asFileExtension();
    const auto color = colors.find(extension);
    return {extensionTitle(extension), color != colors.end() ? color->second : defaultNodeColor};
}

const std::vector<FileTypeStat>* FileTypesFolderCache::stats(const FileNode* folder, std::int64_t version) const {
    for (const Entry& e : entries_)
        if (e.folder.get() == folder && e.version == version) return &e.stats;
    return nullptr;
}

bool FileTypesFolderCache::store(std::vector<FileTypeStat> stats, const NodeRef& folder, std::int64_t version) {
    dropOlderThan(version);
    std::erase_if(entries_, [&](const Entry& e) { return e.version != version || e.folder == folder; });
    if (entries_.size() >= capacity) entries_.erase(entries_.begin());
    const bool changed = !lastShown_ || *lastShown_ != stats;
    if (changed) lastShown_ = stats;
    entries_.push_back({folder, version, std::move(stats)});
    return changed;
}

void FileTypesFolderCache::dropOlderThan(std::int64_t version) {
    std::erase_if(entries_, [version](const Entry& e) { return e.version < version; });
}

} // namespace plenwick
