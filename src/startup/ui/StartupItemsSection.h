#pragma once
// One section of the Startup Items list: its header, its rows grouped on a rounded
// background with separators between them, and its footer. The "Bundled with Apps"
// header carries a link-style button that shows or hides the rows.

#include "startup/ui/StartupItemsListing.h"

#include <QWidget>

#include <functional>

class QPushButton;
class QVBoxLayout;

namespace plenwick {

class StartupItemsSection final : public QWidget {
public:
    // `makeRow` builds the widget of one row; `toggleBundled` runs the Show/Hide button.
    StartupItemsSection(const StartupItemsListing::Section& section, bool showBundled,
                        const std::function<QWidget*(const StartupItem&)>& makeRow,
                        std::function<void()> toggleBundled, QWidget* parent = nullptr);

    const QString& title() const noexcept { return title_; }
    QPushButton* bundledButton() const noexcept { return bundledButton_; } // bundled only
    int rowCount() const noexcept { return rowCount_; }

private:
    QString title_;
    QPushButton* bundledButton_ = nullptr;
    int rowCount_ = 0;
};

} // namespace plenwick
