#pragma once
// One section of the Startup Items list: its header, its rows grouped on a rounded
// background with separators between them, and its footer.

#include "startup/ui/StartupItemsListing.h"

#include <QWidget>

#include <functional>


namespace plenwick {

class StartupItemsSection final : public QWidget {
public:
    // `makeRow` builds the widget of one row.
    StartupItemsSection(const StartupItemsListing::Section& section,
                        const std::function<QWidget*(const StartupItem&)>& makeRow, QWidget* parent = nullptr);

    const QString& title() const noexcept { return title_; }
    int rowCount() const noexcept { return rowCount_; }

private:
    QString title_;
    int rowCount_ = 0;
};

} // namespace plenwick
