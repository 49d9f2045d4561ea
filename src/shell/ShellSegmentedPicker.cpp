#include "shell/ShellSegmentedPicker.h"

#include "shell/ShellStyle.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>

namespace plenwick {

namespace {

class SegmentButton final : public QToolButton {
public:
    using QToolButton::QToolButton;
    QSize sizeHint() const override { return QSize(QToolButton::sizeHint().width(), fontMetrics().height() + 8); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const ShellAppearance appearance = shellAppearance(*this);
        if (isChecked()) {
            p.setPen(QPen(shellCardStrokeColor(appearance), 0.5));
            // The dark card fill is too faint on the track: the segment stands out more.
            p.setBrush(appearance == ShellAppearance::dark ? shellWithOpacity(Qt::white, 0.18)
                                                           : shellCardFillColor(appearance));
            p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 5, 5);
        }
        if (hasFocus()) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
        }
        p.setPen(isChecked() ? shellPrimaryColor(palette()) : shellSecondaryColor(palette()));
        p.drawText(rect(), Qt::AlignCenter, fontMetrics().elidedText(text(), Qt::ElideRight, width() - 8));
    }
};

} // namespace

ShellSegmentedPicker::ShellSegmentedPicker(QWidget* parent) : QWidget(parent) {
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(0, 0, 0, 0);
    row_->setSpacing(0);
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
}

QAbstractButton* ShellSegmentedPicker::addSegment(const QString& title) {
    auto* button = new SegmentButton(this);
    button->setFont(shellFont(ShellTextStyle::callout));
    button->setText(title);
    button->setToolTip(toolTip());
    button->setAccessibleName(title);
    button->setCheckable(true);
    button->setAutoRaise(false);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setChecked(group_->buttons().isEmpty());
    group_->addButton(button);
    row_->addWidget(button);
    return button;
}

QAbstractButton* ShellSegmentedPicker::segment(int index) const {
    const QList<QAbstractButton*> buttons = group_->buttons();
    return index >= 0 && index < buttons.size() ? buttons[index] : nullptr;
}

int ShellSegmentedPicker::count() const { return static_cast<int>(group_->buttons().size()); }

void ShellSegmentedPicker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(shellRingTrackColor(shellAppearance(*this)));
    p.drawRoundedRect(QRectF(rect()), 6, 6);
}

} // namespace plenwick
