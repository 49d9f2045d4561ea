#pragma once
// An item's picture, 32 × 32: its app's icon when the app is there, else a symbol
// for its source on a soft tile (orange when what it starts is gone).

#include "startup/StartupItem.h"

#include <QIcon>
#include <QWidget>

#include <optional>

namespace plenwick {

enum class Symbol;

class StartupItemIcon final : public QWidget {
public:
    explicit StartupItemIcon(const StartupItem& item, QWidget* parent = nullptr);

    // The symbol drawn when no app icon is shown.
    static Symbol symbol(StartupItem::Source source);
    bool showsAppIcon() const noexcept { return appPath_.has_value(); }
    // The picture's opacity (1 at first): dimmed for an item that is off.
    void setOpacity(double opacity);
    double opacity() const noexcept { return opacity_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    StartupItem::Source source_;
    bool programMissing_;
    std::optional<std::string> appPath_; // set when the app exists
    double opacity_ = 1;
};

} // namespace plenwick
