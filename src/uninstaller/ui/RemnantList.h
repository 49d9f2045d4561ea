#pragma once
// The leftovers grouped into sections by kind, each with its title and symbol, in a
// scrolling inset list whose height follows the number of sections and rows.

#include "uninstaller/UninstallSession.h"

#include <QScrollArea>

#include <vector>

namespace plenwick {

class RemnantRow;

class RemnantList final : public QScrollArea {
    Q_OBJECT

public:
    explicit RemnantList(UninstallSession& session, QWidget* parent = nullptr);

    // Rebuilds the sections from the session's leftovers.
    void rebuild();
    // Follows the session's ticks.
    void updateSelection();
    const std::vector<RemnantRow*>& rows() const noexcept { return rows_; }
    const std::vector<QWidget*>& sectionHeaders() const noexcept { return headers_; }

private:
    UninstallSession& session_;
    std::vector<RemnantRow*> rows_;
    std::vector<QWidget*> headers_;
};

} // namespace plenwick
