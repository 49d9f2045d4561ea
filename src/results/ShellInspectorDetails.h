#pragma once
// The top of the inspector: everything about one node and what can be done with it.
// Its icon (draggable, with the node's context menu), name and kind; its size and its
// share of its folder and of the scan; a notice for a folder that could not be read;
// its logical size, counts and date; its path; and the action buttons.
//
// The kind shows the immediate text of the node until the description looked up in
// the background for that same node arrives; a description that arrives for a node no
// longer shown is dropped.

#include "scanner/FileNode.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class QAbstractButton;
class QGridLayout;
class QLabel;
class QPushButton;
class QToolButton;

namespace plenwick {

class ActivitySpinner;
class AppState;
class SelectableText;
class ShellActionButton;
class ShellShareBar;
class ShellText;
class InspectorIcon;

class ShellInspectorDetails final : public QWidget {
    Q_OBJECT

public:
    explicit ShellInspectorDetails(AppState& state, QWidget* parent = nullptr);
    ~ShellInspectorDetails() override;

    // Shows `node`; `isFallback` when nothing is selected and the focus stands in.
    void setNode(const NodeRef& node, bool isFallback);
    // Reads the state again for the node shown.
    void refresh();

    const NodeRef& node() const noexcept { return node_; }
    bool isFallback() const noexcept { return isFallback_; }
    // The last looked-up kind and the node it belongs to.
    struct ResolvedKind {
        const FileNode* node;
        QString kind;
    };
    const std::optional<ResolvedKind>& resolvedKind() const noexcept { return resolvedKind_; }

    // The parts, for tests and screenshots.
    QString captionText() const;
    QString nameText() const;
    QString kindText() const;
    QString sizeText() const;
    ShellShareBar* parentShare() const { return parentShare_; }
    ShellShareBar* scanShare() const { return scanShare_; }
    QWidget* unreadableNotice() const { return notice_; }
    // The value of the facts row labelled `label`, or none when the row is not shown.
    std::optional<QString> fact(const QString& label) const;
    QString pathText() const;
    SelectableText* nameView() const { return name_; }
    SelectableText* pathView() const { return path_; }
    QAbstractButton* copyPathButton() const;
    QWidget* actionsSection() const { return actions_; }
    ShellActionButton* revealButton() const { return reveal_; }
    ShellActionButton* openButton() const { return open_; }
    ShellActionButton* previewButton() const { return preview_; }
    ShellActionButton* collectButton() const { return collect_; }
    QPushButton* rescanButton() const { return rescan_; }
    QPushButton* trashButton() const { return trash_; }
    QWidget* iconView() const;

    // Where its rows lie (top, bottom) when laid out at `width`: the sections, and each
    // row of text or buttons within them, a section after its rows.
    struct Row {
        int top;
        int bottom;
    };
    std::vector<Row> rowsAt(int width) const;

    // The label of the first facts row, the files' own lengths.
    static const QString logicalSizeLabel;

signals:
    // The icon's context menu was asked for.
    void contextMenuRequested(const plenwick::NodeRef& node, QPoint globalPos);

protected:
    void changeEvent(QEvent* event) override;

private:
    void lookUpKind();
    void refreshHeader();
    void refreshSizes();
    void refreshFacts();
    void refreshActions();
    void onCollect();
    void onRescan();
    void onTrash();

    AppState& state_;
    NodeRef node_;
    bool isFallback_ = false;
    std::optional<ResolvedKind> resolvedKind_;
    std::uint64_t lookupSequence_ = 0;

    InspectorIcon* icon_;
    ShellText* caption_;
    SelectableText* name_;
    ShellText* kind_;
    QLabel* size_;
    ShellText* onDisk_;
    ShellShareBar* parentShare_;
    ShellShareBar* scanShare_;
    QWidget* notice_;
    QGridLayout* facts_;
    QLabel* factLabels_[4];
    QLabel* factValues_[4];
    ShellText* pathTitle_;
    QToolButton* copyPath_;
    SelectableText* path_;
    QWidget* actions_;
    ShellActionButton* reveal_;
    ShellActionButton* open_;
    ShellActionButton* preview_;
    ShellActionButton* collect_;
    QPushButton* rescan_;
    ActivitySpinner* rescanSpinner_;
    QLabel* rescanSymbol_;
    ShellText* rescanTitle_;
    QPushButton* trash_;
};

} // namespace plenwick
