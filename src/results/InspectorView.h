#pragma once
// The content of the inspector column. Above, scrolling: the details of the selected
// item, or of the folder at the centre of the chart when nothing is selected (or
// "No Selection" without either), then the disk-usage card. Below, under "File
// Types", the breakdown, which always keeps at least 170 pixels, and more where the
// font needs more to show two of its rows and the column has room for it.

#include "scanner/FileNode.h"

#include <QPoint>
#include <QWidget>

#include <optional>
#include <vector>

class QScrollArea;

namespace plenwick {

class AppState;
class FileTypesView;
class ShellDiskUsageSummary;
class ShellInspectorDetails;

class InspectorView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinimumBottomHeight = 170, kMinimumWidth = 240, kSpacing = 16, kInset = 16;

    explicit InspectorView(AppState& state, QWidget* parent = nullptr);

    ShellInspectorDetails* details() const { return details_; }
    QWidget* placeholder() const { return placeholder_; }
    ShellDiskUsageSummary* diskUsage() const { return diskUsage_; }
    FileTypesView* fileTypes() const { return fileTypes_; }
    QScrollArea* upperPart() const { return scroll_; }
    QWidget* lowerPart() const { return lower_; }

signals:
    // The details' icon asked for its node's context menu.
    void contextMenuRequested(const plenwick::NodeRef& node, QPoint globalPos);

private:
    // The upper part's height in a column `height` high at `width`, the breakdown
    // keeping `minimumBottom`.
    int upperHeight(int width, int height, int minimumBottom) const;
    // The lower part's height that shows `rows` rows of the breakdown (none: every row).
    int lowerHeight(std::optional<int> rows) const;
    // The rows the breakdown shows at least, whatever the font, where the details keep
    // `kDetailsKept` beside them (a column 300 high splits 130 and 170).
    static constexpr int kLeastRows = 2, kDetailsKept = 130;
    // Heights at which the upper part cuts none of its rows, laid out at `width`;
    // `essential` is set to the height that shows the details whole.
    std::vector<int> upperBreaksAt(int width, int& essential) const;
    void onChanged(quint64 fields);
    void showNode();

    AppState& state_;
    QScrollArea* scroll_;
    ShellInspectorDetails* details_;
    QWidget* placeholder_;
    ShellDiskUsageSummary* diskUsage_;
    QWidget* cardSlot_;
    QWidget* lower_;
    FileTypesView* fileTypes_;
};

} // namespace plenwick
