#pragma once
// The outline sidebar of the results screen: the mode picker (Folders, Largest Files)
// and the name filter above the table, a placeholder or spinner over it while there
// is nothing to list, and a footer with one status line. What it shows is decided by
// FileOutlineViewModel; the table by OutlineTableCoordinator, which it tells what
// changed.

#include "outline/FileOutlineViewModel.h"
#include "outline/OutlineTableCoordinator.h"

#include <QWidget>

#include <chrono>
#include <memory>

class QAbstractButton;
class QAction;
class QLineEdit;
class QStackedLayout;

namespace plenwick {

class ActivitySpinner;
class AppState;
class OutlinePlaceholder;
class ShellText;

class FileOutlineView final : public QWidget {
    Q_OBJECT

public:
    explicit FileOutlineView(AppState& state, QWidget* parent = nullptr,
                             std::chrono::milliseconds searchPause = OutlineListModel::kSearchPause);
    ~FileOutlineView() override;

    FileOutlineViewModel& viewModel() noexcept { return viewModel_; }
    OutlineTableCoordinator& coordinator() const noexcept { return *coordinator_; }
    QLineEdit* searchField() const noexcept { return search_; }
    QAbstractButton* modeButton(OutlineMode mode) const;
    // What stands over the table now (hidden when nothing).
    QWidget* overlay() const noexcept { return overlay_; }
    OutlinePlaceholder* overlayPlaceholder() const noexcept { return overlayPlaceholder_; }
    bool isShowingNothingScanned() const;
    // The footer's line as shown; empty when there is no footer.
    QString footerText() const;
    bool isFooterBusy() const;
    // Brings everything on screen in line with the state and the view model; with
    // nothing changed it changes nothing.
    void refresh();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The view model's change: the state's bits it follows, or 0 for its own.
    void onChanged(quint64 stateFields);
    // Brings the table in line with `change`, and with what is listed first when
    // `listingMayChange` (then the picker, overlay and footer too).
    void apply(bool listingMayChange, OutlineTableChange change);
    // The search field's magnifier in the palette's secondary colour.
    void paintSearchIcon();

    AppState& state_;
    FileOutlineViewModel viewModel_;
    std::unique_ptr<OutlineTableCoordinator> coordinator_;
    QAbstractButton* folders_;
    QAbstractButton* largest_;
    QLineEdit* search_;
    QAction* searchIcon_;
    QStackedLayout* pages_;
    OutlinePlaceholder* nothingScanned_;
    QWidget* listArea_;
    QWidget* overlay_;
    ActivitySpinner* overlaySpinner_;
    OutlinePlaceholder* overlayPlaceholder_;
    QWidget* footerDivider_;
    QWidget* footer_;
    ActivitySpinner* footerSpinner_;
    ShellText* footerLine_;
};

} // namespace plenwick
