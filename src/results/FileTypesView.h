#pragma once
// The file-type breakdown at the bottom of the inspector: the scan's (or the current
// folder's) bytes by kind or by extension, one row each, largest first. Clicking a
// row highlights its files in every chart and list, switching the colour mode to
// match; clicking it again, or the highlight bar's clear button, ends the highlight
// and brings back the colour mode it replaced, unless the user chose another one
// meanwhile. A folder's statistics are computed in the background and kept for the
// last eight folders of the current tree.

#include "app/ColorModeMemory.h"
#include "results/FileTypesModel.h"
#include "scanner/FileNode.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <stop_token>

class QAbstractButton;
class QGraphicsOpacityEffect;
class QVariantAnimation;
class QListView;
class QMenu;
class QStackedLayout;
class QToolButton;

namespace plenwick {

class ActivitySpinner;
class AppState;
class FileTypesListModel;
class FileTypesRowDelegate;
class OutlinePlaceholder;
class ShellSegmentedPicker;
class ShellText;

class FileTypesView final : public QWidget {
    Q_OBJECT

public:
    explicit FileTypesView(AppState& state, QWidget* parent = nullptr);
    ~FileTypesView() override;

    // The height that shows every row.
    QSize sizeHint() const override;
    // The height that shows `rows` rows (the placeholder when there are none) below
    // the controls as they are now.
    int heightShowingRows(int rows) const;

    FileTypesSegment segment() const noexcept { return segment_; }
    void setSegment(FileTypesSegment segment);
    FileTypesScope scope() const noexcept { return scope_; }
    void setScope(FileTypesScope scope);
    bool isLoadingFolder() const noexcept { return isLoadingFolder_; }

    // The statistics shown and their rows.
    const std::vector<FileTypeStat>& currentStats() const;
    const std::vector<FileTypesRow>& rows() const;
    // A row's click: starts its highlight, or ends it when it is the one shown.
    void toggleHighlight(const FileTypesRow& row);
    const ColorModeMemory& colorModeMemory() const noexcept;

    // The parts, for tests and screenshots.
    QAbstractButton* segmentButton(FileTypesSegment segment) const;
    QToolButton* scopeButton() const { return scopeButton_; }
    QString summaryText() const;
    // The summary as drawn: one line, or two where one does not fit.
    QStringList summaryLines() const;
    QWidget* highlightBar() const { return highlightBar_; }
    // Whether the highlight bar is shown (or sliding in).
    bool isHighlightBarShown() const noexcept { return highlightShown_; }
    static constexpr int kHighlightSlideMs = 200;
    QString highlightText() const;
    QAbstractButton* clearHighlightButton() const;
    QListView* list() const { return list_; }
    QString placeholderText() const;
    bool isShowingPlaceholder() const;
    ActivitySpinner* spinner() const { return spinner_; }

protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void onChanged(quint64 fields);
    void refresh();
    void refreshScopeButton();
    void loadFolderStats();
    NodeRef scopedFolder() const;
    void showHighlightBar(bool shown);
    void startOver();

    AppState& state_;
    FileTypesSegment segment_ = FileTypesSegment::kinds;
    FileTypesScope scope_ = FileTypesScope::wholeScan;
    FileTypesFolderCache cache_;
    bool isLoadingFolder_ = false;
    bool disappeared_ = false; // hidden since last shown
    // The key of the last folder-statistics run: scope, focus, tree version.
    struct FolderKey {
        FileTypesScope scope;
        const FileNode* focus;
        std::int64_t version;
        friend bool operator==(const FolderKey&, const FolderKey&) = default;
    };
    std::optional<FolderKey> folderKey_;
    std::uint64_t folderRun_ = 0;
    std::stop_source folderStop_;

    ShellSegmentedPicker* picker_;
    QToolButton* scopeButton_;
    QMenu* scopeMenu_;
    ActivitySpinner* spinner_;
    QWidget* summary_;
    QWidget* highlightBar_;
    QGraphicsOpacityEffect* barOpacity_;
    QPointer<QVariantAnimation> barSlide_;
    bool highlightShown_ = false;
    ShellText* highlightTitle_;
    QToolButton* clearHighlight_;
    QStackedLayout* body_;
    OutlinePlaceholder* placeholder_;
    QListView* list_;
    FileTypesListModel* model_;
    FileTypesRowDelegate* delegate_;
};

} // namespace plenwick
