#pragma once
// The screen of a failed scan: what went wrong, and the ways on: back to the
// disks, the privacy settings when permissions were the cause, and trying again.

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
    QPushButton* privacyButton() const { return privacy_; }
    QPushButton* tryAgainButton() const { return tryAgain_; }

private:
    void refresh(quint64 fields);

    AppState& state_;
    QLabel* message_;
    QPushButton* back_;
    QPushButton* privacy_;
    QPushButton* tryAgain_;
};

} // namespace plenwick
