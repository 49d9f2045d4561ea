#include "results/ShellStatTile.h"

#include "shell/ShellNumericText.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"

#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace plenwick {

// The number: monospaced digits that roll upwards into place as they count.
class ShellStatTile::Value final : public QWidget {
public:
    explicit Value(QWidget* parent) : QWidget(parent), figure_(*this, 250) {
        setFont(shellFont(ShellTextStyle::title3, QFont::DemiBold));
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    ShellNumericText& figure() { return figure_; }
    const ShellNumericText& figure() const { return figure_; }
    void setText(const QString& text) {
        const bool wider = shellNumericWidth(text, font()) != shellNumericWidth(figure_.text(), font());
        figure_.setText(text);
        if (wider) updateGeometry();
    }
    void setTint(std::optional<QColor> tint) {
        tint_ = tint;
        update();
    }
    std::optional<QColor> tint() const { return tint_; }
    QSize sizeHint() const override {
        return QSize(static_cast<int>(std::ceil(shellNumericWidth(figure_.text(), font()))) + 1, fontMetrics().height());
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        figure_.paint(painter, QRectF(rect()), Qt::AlignHCenter, font(), tint_.value_or(shellPrimaryColor(palette())));
    }

private:
    ShellNumericText figure_;
    std::optional<QColor> tint_;
};

ShellStatTile::ShellStatTile(const QString& value, const QString& label, std::optional<QColor> tint, QWidget* parent)
    : QWidget(parent), value_(new Value(this)), label_(new ShellText(label)) {
    value_->setText(value);
    value_->setTint(tint);
    label_->setTextStyle(ShellTextStyle::caption);
    label_->setTone(ShellText::Tone::secondary);
    label_->setElideMode(Qt::ElideNone);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(2);
    column->setContentsMargins(6, 0, 6, 0);
    column->addWidget(value_, 0, Qt::AlignHCenter);
    column->addWidget(label_, 0, Qt::AlignHCenter);
    setMinimumWidth(96);
    setAccessibleName(label);
}

ShellStatTile::~ShellStatTile() = default;

QString ShellStatTile::value() const { return value_->figure().text(); }
QString ShellStatTile::label() const { return label_->text(); }
std::optional<QColor> ShellStatTile::tint() const { return value_->tint(); }
const ShellNumericText& ShellStatTile::figure() const { return value_->figure(); }

void ShellStatTile::setValue(const QString& value) {
    value_->setText(value);
    setAccessibleDescription(value);
}

void ShellStatTile::setTint(std::optional<QColor> tint) { value_->setTint(tint); }

} // namespace plenwick
