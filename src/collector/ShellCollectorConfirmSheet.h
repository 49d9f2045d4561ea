#pragma once
// The sheet that asks before everything in the collector goes to the Trash: how many
// things will go (leftovers included) and how much that frees, every item with its
// folder and size, the total, and "Cancel" (Escape) and "Move to Trash" (Return).
// The sheet changes nothing itself: it answers once, `accepted` ("Move to Trash") or
// `rejected` (anything else), and its owner acts.

#include "app/VolumeNameMap.h"
#include "collector/CollectorFigure.h"
#include "collector/CollectorRules.h"

#include <QDialog>

#include <memory>
#include <vector>

class QPushButton;

namespace plenwick {

class CollectorRowList;

class ShellCollectorConfirmSheet final : public QDialog {
    Q_OBJECT

public:
    ShellCollectorConfirmSheet(std::vector<NodeRef> items, CollectorLeftovers leftovers, QWidget* parent = nullptr);

    // Shows other items (the collector changed while the sheet is up). `kept`: what
    // the total leaves out, per item the bytes it shares with names staying in the
    // tree; `volumeNames`: the state's names of the volumes, which the items are called by.
    void setContent(std::vector<NodeRef> items, CollectorLeftovers leftovers, CollectorKeptBytes kept,
                    std::shared_ptr<const VolumeNameMap> volumeNames);

    const std::vector<NodeRef>& items() const noexcept { return items_; }
    // What the move frees: the known bytes, and how many items' sizes are unknown.
    CollectorFigure total() const;
    std::int64_t totalBytes() const { return total().knownBytes; }
    std::int64_t itemCount() const;
    QString title() const;
    QString subtitle() const;
    // The folder the item lies in, with its leftovers.
    QString rowSubtitle(const FileNode& item) const;

    CollectorRowList* list() const { return list_; }
    QPushButton* confirmButton() const { return confirmButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

    static constexpr int kWidth = 480, kRowHeight = 42;

protected:
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void accept() override;
    void reject() override;

private:
    void refresh();

    std::vector<NodeRef> items_;
    CollectorLeftovers leftovers_;
    CollectorKeptBytes kept_;
    std::shared_ptr<const VolumeNameMap> volumeNames_ = std::make_shared<const VolumeNameMap>();
    QWidget* header_;
    CollectorRowList* list_;
    QWidget* totalLine_;
    QPushButton* confirmButton_;
    QPushButton* cancelButton_;
    bool answered_ = false;
};

} // namespace plenwick
