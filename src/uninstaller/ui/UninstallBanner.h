#pragma once
// A warning strip of the uninstaller: a tinted symbol, a text that wraps, and an
// optional small button, on a rounded rectangle filled with the tint at 10 %.

#include <QColor>
#include <QIcon>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace plenwick {

class UninstallBanner final : public QWidget {
    Q_OBJECT

public:
    // `symbol` is drawn in `tint`; the button is shown only with both a title and an action.
    UninstallBanner(const QIcon& symbol, QColor tint, const QString& text, std::optional<QString> actionTitle = std::nullopt,
                    std::function<void()> action = {}, QWidget* parent = nullptr);

    QString text() const;
    QPushButton* actionButton() const noexcept { return button_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor tint_;
    QLabel* text_;
    QPushButton* button_ = nullptr;
};

} // namespace plenwick
