#pragma once
// The cards of the tools section. They share one layout: a tinted icon tile, a title
// over a wrapped detail text, and an accessory at the trailing edge; at least 84
// tall, growing with the detail text.
//
// `ToolCard` runs an action when clicked anywhere and shows the shortcut of the menu
// command it stands for; hovering highlights its border. `HelperToolCard` carries the
// switch of the menu-bar helper: the switch shows whether the helper is registered to
// start at login and registers or unregisters it through the controller; the card
// itself reacts to neither hover nor clicks.

#include "shell/Symbols.h"

#include <QAbstractButton>
#include <QWidget>

#include <functional>

class QPainter;

namespace plenwick {

class HelperController;
class HomeHover;
class HomeSwitch;

enum class ToolTint { red, green, accent };

struct ToolCardContent {
    Symbol symbol;
    ToolTint tint;
    QString title;
    QString detail;
};

// Where the layout's parts go inside the visible card, and the card's height.
struct ToolCardGeometry {
    QRectF tile, title, detail, accessory;
    qreal height = 0;
};
ToolCardGeometry toolCardGeometry(const QRectF& card, const QString& detail, const QSizeF& accessory);
QColor toolTintColor(ToolTint tint, const QPalette& palette);

class ToolCard final : public QAbstractButton {
    Q_OBJECT

public:
    // `shortcut`: Qt's portable key-sequence text of the menu command.
    ToolCard(ToolCardContent content, const char* shortcut, QWidget* parent = nullptr);

    const ToolCardContent& content() const noexcept { return content_; }
    QString shortcutText() const { return shortcut_; }
    HomeHover& hover() const noexcept { return *hover_; }
    QRectF cardRect() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QSizeF accessorySize() const;

    ToolCardContent content_;
    QString shortcut_;
    HomeHover* hover_;
};

class HelperToolCard final : public QWidget {
    Q_OBJECT

public:
    static const QString ordinaryDetail;
    static const QString noTrayDetail;

    // `trayAvailable` tells whether the desktop has a system tray (none: it has).
    explicit HelperToolCard(HelperController& helper, std::function<bool()> trayAvailable = {},
                            QWidget* parent = nullptr);

    HomeSwitch* toggle() const noexcept { return switch_; }
    QString detailText() const;
    QRectF cardRect() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void sync();
    ToolCardContent content() const;

    HelperController& helper_;
    std::function<bool()> trayAvailable_;
    HomeSwitch* switch_;
};

} // namespace plenwick
