#include "results/ShellStatTile.h"

#include "shell/ShellText.h"

#include <QVBoxLayout>

namespace plenwick {

ShellStatTile::ShellStatTile(const QString& value, const QString& label, std::optional<QColor> tint, QWidget* parent)
    : QWidget(parent), value_(new ShellText(value)), label_(new ShellText(label)) {
    value_->setTextStyle(ShellTextStyle::title3, QFont::DemiBold);
    value_->setElideMode(Qt::ElideNone);
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

QString ShellStatTile::value() const { return value_->text(); }
QString ShellStatTile::label() const { return label_->text(); }
std::optional<QColor> ShellStatTile::tint() const { return value_->tint(); }

void ShellStatTile::setValue(const QString& value) {
    value_->setText(value);
    setAccessibleDescription(value);
}

void ShellStatTile::setTint(std::optional<QColor> tint) { value_->setTint(tint); }

} // namespace plenwick
