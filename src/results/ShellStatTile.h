#pragma once
// One counter of the scan-progress card: a number over its caption, its digits
// monospaced and rolling upwards as they count.

#include <QColor>
#include <QWidget>

#include <optional>

namespace plenwick {

class ShellNumericText;
class ShellText;

class ShellStatTile : public QWidget {
    Q_OBJECT

public:
    // `tint`: the number's colour; none means the primary text colour.
    ShellStatTile(const QString& value, const QString& label, std::optional<QColor> tint = std::nullopt,
                  QWidget* parent = nullptr);
    ~ShellStatTile() override;

    QString value() const;
    QString label() const;
    std::optional<QColor> tint() const;
    void setValue(const QString& value);
    void setTint(std::optional<QColor> tint);
    const ShellNumericText& figure() const;

private:
    class Value;
    Value* value_;
    ShellText* label_;
};

} // namespace plenwick
