#pragma once
// A placeholder for content that is not there: a large symbol above a title and an
// optional description, centred, in the secondary colour.

#include <QWidget>

#include <functional>

class QPainter;
class QRectF;

namespace plenwick {

class OutlinePlaceholder final : public QWidget {
    Q_OBJECT

public:
    // Draws the symbol into a square in the given colour.
    using SymbolPainter = std::function<void(QPainter&, const QRectF&, const QColor&)>;

    explicit OutlinePlaceholder(QWidget* parent = nullptr);
    void setContent(SymbolPainter symbol, const QString& title, const QString& description = {});
    const QString& title() const noexcept { return title_; }
    const QString& description() const noexcept { return description_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SymbolPainter symbol_;
    QString title_;
    QString description_;
};

} // namespace plenwick
