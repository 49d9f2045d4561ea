#pragma once
// One line of text shortened in the middle when it does not fit.

#include <QWidget>

namespace plenwick {

class StartupElidedLabel final : public QWidget {
public:
    explicit StartupElidedLabel(QString text, QWidget* parent = nullptr);
    const QString& text() const noexcept { return text_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

} // namespace plenwick
