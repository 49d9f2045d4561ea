#pragma once
// The whole content of a Startup Items window: a bar with the filter field and the
// Refresh button, a header with the title and the count line, and the list of sections. It
// owns its model and drives it only through refresh, setEnabled, remove and clearing
// the action error; it asks before any removal and shows failed changes in an alert.

#include "startup/StartupItemsModel.h"
#include "startup/ui/StartupItemsListing.h"

#include <QWidget>

#include <memory>
#include <optional>

class QLineEdit;
class QMessageBox;
class QScrollArea;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;

namespace plenwick {

class ActivitySpinner;
class ShellText;
class StartupCountLine;
class StartupItemRow;
class StartupItemsSection;

class StartupItemsView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumWidth = 620;
    static constexpr int minimumHeight = 440;

    explicit StartupItemsView(std::unique_ptr<StartupItemsModel> model, QWidget* parent = nullptr);
    ~StartupItemsView() override;

    StartupItemsModel& model() const noexcept { return *model_; }
    const QString& search() const noexcept { return search_; }
    void setSearch(const QString& text);
    const std::optional<StartupItem>& pendingRemoval() const noexcept { return pendingRemoval_; }
    // Asks to confirm the item's removal (what a row's remove entry does).
    void requestRemoval(const StartupItem& item);

    // ---- What is on screen, for tests and screenshots ----
    const StartupItemsListing& listing() const noexcept { return listing_; }
    QString countLineText() const;
    bool showsLoadingPage() const;
    bool showsHeaderSpinner() const;
    // The placeholder's title over the list, empty when none is shown.
    QString placeholderTitle() const;
    std::vector<StartupItemsSection*> sections() const;
    std::vector<StartupItemRow*> rows() const;
    QToolButton* refreshButton() const noexcept { return refreshButton_; }
    QLineEdit* filterField() const noexcept { return filter_; }
    QMessageBox* confirmation() const noexcept { return confirmation_; }
    QMessageBox* errorAlert() const noexcept { return errorAlert_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void modelChanged(quint64 fields);
    void updateHeader();
    void rebuildList();
    void updateErrorAlert();
    QWidget* makeRow(const StartupItem& item);

    std::unique_ptr<StartupItemsModel> model_;
    QString search_;
    std::optional<StartupItem> pendingRemoval_;
    bool shownOnce_ = false;
    StartupItemsListing listing_;
    std::vector<StartupItemsSection*> sections_; // those of the current listing

    QToolButton* refreshButton_;
    QLineEdit* filter_;
    StartupCountLine* countLine_;
    ActivitySpinner* headerSpinner_;
    QStackedWidget* stack_;
    QScrollArea* scroll_;
    QWidget* listContent_;
    QVBoxLayout* listLayout_;
    QWidget* placeholder_;
    ShellText* placeholderTitle_;
    ShellText* placeholderText_;
    class PlaceholderSymbol* placeholderSymbol_;
    QMessageBox* confirmation_ = nullptr;
    QMessageBox* errorAlert_ = nullptr;
};

} // namespace plenwick
