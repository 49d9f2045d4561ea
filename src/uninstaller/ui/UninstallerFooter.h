#pragma once
// The uninstaller's button row: "Select All" with the selection's size and a lock
// when the password will be asked, a progress indicator while moving, and the
// closing and primary buttons; only "Done" once finished.

#include "uninstaller/UninstallSession.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace plenwick {

class ActivitySpinner;
class ShellText;

class UninstallerFooter final : public QWidget {
    Q_OBJECT

public:
    explicit UninstallerFooter(UninstallSession& session, QWidget* parent = nullptr);

    // Follows the session.
    void update();

    QCheckBox* selectAll() const noexcept { return selectAll_; }
    ShellText* selectedSize() const noexcept { return size_; }
    QLabel* adminLock() const noexcept { return lock_; }
    ActivitySpinner* progress() const noexcept { return progress_; }
    QPushButton* secondaryButton() const noexcept { return secondary_; }
    QPushButton* primaryButton() const noexcept { return primary_; }
    QPushButton* doneButton() const noexcept { return done_; }

    // What Return and Escape do: the primary (or "Done") and the closing button.
    void activateDefault();
    void activateCancel();

private:
    void close();

    UninstallSession& session_;
    QCheckBox* selectAll_;
    ShellText* size_;
    QLabel* lock_;
    ActivitySpinner* progress_;
    QPushButton* secondary_;
    QPushButton* primary_;
    QPushButton* done_;
};

} // namespace plenwick
