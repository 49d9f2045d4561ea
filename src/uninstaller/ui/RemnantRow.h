#pragma once
// One leftover in the uninstaller's list: tick, icon, name (with a lock when the
// system owns it), where it lies or why it is uncertain, a reveal button shown while
// the pointer is over the row, and the size. A click anywhere on the row toggles it.

#include "uninstaller/Remnant.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QToolButton;

namespace plenwick {

class ShellIconImage;
class ShellText;

class RemnantRow final : public QWidget {
    Q_OBJECT

public:
    static constexpr int rowHeight = 34;

    RemnantRow(Remnant remnant, bool isSelected, std::function<void()> toggle, QWidget* parent = nullptr);

    const Remnant& remnant() const noexcept { return remnant_; }
    void setSelected(bool selected);
    bool isSelected() const;
    bool isHovered() const noexcept { return hovered_; }

    QCheckBox* checkBox() const noexcept { return check_; }
    QToolButton* revealButton() const noexcept { return reveal_; }
    ShellText* detailText() const noexcept { return detail_; }
    ShellIconImage* iconImage() const noexcept { return icon_; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovered(bool hovered);

    Remnant remnant_;
    std::function<void()> toggle_;
    QCheckBox* check_;
    QToolButton* reveal_;
    ShellIconImage* icon_;
    ShellText* detail_;
    bool hovered_ = false;
};

} // namespace plenwick
