#pragma once
// The screen of a failed scan: what went wrong, and the ways on: back to the
// disks, and trying again. (No way to privacy settings: this system has no such
// page; a refusal's message names the permissions that refused.)

#include <QWidget>

class QLabel;
class QPushButton;

namespace plenwick {

class AppState;

class ScanFailedView final : public QWidget {
    Q_OBJECT

public:
    ScanFailedView(AppState& state, const QString& message, QWidget* parent = nullptr);

    QString message() const;
    QPushButton* backButton() const { return back_; }
    QPushButton* tryAgainButton() const { return tryAgain_; }

private:
    void refresh(quint64 fields);

    AppState& state_;
    QLabel* message_;
    QPushButton* back_;
    QPushButton* tryAgain_;
};

} // namespace plenwick
