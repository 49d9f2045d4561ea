#pragma once
// The decisions of the file-type breakdown, apart from widgets: its rows by kind or by
// extension, the summary line, which rows a highlight dims, the highlight bar, the
// memory of the colour mode a highlight replaced, and the cache of folder statistics.

#include "app/TypeStatsDelta.h"
#include "charts/ChartEnums.h"
#include "scanner/FileTypeStat.h"
#include "scanner/TypeFilter.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace plenwick {

enum class FileTypesSegment { kinds, extensions };
enum class FileTypesScope { wholeScan, currentFolder };

QString fileTypesSegmentTitle(FileTypesSegment segment);
QString fileTypesScopeTitle(FileTypesScope scope);

struct FileTypesRow {
    QString id; // "kind:<category>" or "ext:<extension>"
    QString title;
    QString subtitle;
    std::string symbolName;
    FileCategory category = FileCategory::other;
    RGB rgb;
    std::int64_t size = 0;
    std::int64_t count = 0;
    double fraction = 0; // of the bytes of all statistics shown
    TypeFilter filter = TypeFilter::category(FileCategory::other);

    friend bool operator==(const FileTypesRow&, const FileTypesRow&) = default;
};

// One row per category present, largest first (ties in category order).
std::vector<FileTypesRow> fileTypesKindRows(const std::vector<FileTypeStat>& stats);
// One row per statistic, in their order; colours from `colors` where it has them.
std::vector<FileTypesRow> fileTypesExtensionRows(const std::vector<FileTypeStat>& stats, const ExtensionColors& colors);

// "<bytes> · <count> file(s)" of the statistics shown.
QString fileTypesSummaryText(const std::vector<FileTypeStat>& stats);
// "<count> file(s) · <percent>", a row's share line.
QString fileTypesShareText(std::int64_t count, double fraction);
// The row's tool tip.
QString fileTypesRowHelp(const QString& title, bool selected);

// The category an extension filter counts as: the whole scan's statistic of that
// extension, else the extension table's, else other. None for other filters.
std::optional<FileCategory> fileTypesFilterCategory(const std::optional<TypeFilter>& filter,
                                                    const std::vector<FileTypeStat>& wholeScanStats);
// Whether `row` stays bright under `filter`.
bool fileTypesRowMatches(const FileTypesRow& row, const TypeFilter& filter, std::optional<FileCategory> filterCategory);
// Whether `row` is dimmed: a filter is set and the row does not match it.
bool fileTypesRowDimmed(const FileTypesRow& row, const std::optional<TypeFilter>& filter,
                        std::optional<FileCategory> filterCategory);

struct FileTypesHighlight {
    QString title;
    RGB rgb;
    friend bool operator==(const FileTypesHighlight&, const FileTypesHighlight&) = default;
};
// What the highlight bar names and the colour of its dot.
FileTypesHighlight fileTypesHighlight(const TypeFilter& filter, const ExtensionColors& colors);

// The statistics of the folders shown in the current-folder scope, per folder and
// tree version, at most 8 of them, all of one tree version. The folders are held
// only while their version is current: `dropOlderThan` lets go of the rest.
class FileTypesFolderCache {
public:
    static constexpr std::size_t capacity = 8;

    const std::vector<FileTypeStat>* stats(const FileNode* folder, std::int64_t version) const;
    // Stores the statistics; returns whether the last stored list changed.
    bool store(std::vector<FileTypeStat> stats, const NodeRef& folder, std::int64_t version);
    void dropOlderThan(std::int64_t version);
    const std::optional<std::vector<FileTypeStat>>& lastShown() const noexcept { return lastShown_; }
    std::size_t count() const noexcept { return entries_.size(); }

private:
    struct Entry {
        NodeRef folder;
        std::int64_t version = 0;
        std::vector<FileTypeStat> stats;
    };
    std::vector<Entry> entries_;
    std::optional<std::vector<FileTypeStat>> lastShown_;
};

} // namespace plenwick
