#pragma once
// The panel in which the user reviews one uninstall session: the app with a title and
// a status line, the warnings, the leftovers by kind (or the progress, the empty
// state, the outcome) and the buttons. It keeps no state of its own: everything
// follows the session, which it keeps alive while it is shown. When it first appears
// while the session is still searching, it starts the search.

#include "uninstaller/UninstallSession.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QScrollArea;

namespace plenwick {

class RemnantList;
class ShellIconImage;
class ShellText;
class UninstallBanner;
class UninstallerFooter;

class UninstallerView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int viewWidth = 560;

    explicit UninstallerView(std::shared_ptr<UninstallSession> session, QWidget* parent = nullptr);
    ~UninstallerView() override;

    UninstallSession& session() const noexcept { return *session_; }

    // The parts, for tests and the screenshots.
    ShellText* titleText() const noexcept { return title_; }
    QLabel* statusText() const noexcept { return status_; }
    const std::vector<UninstallBanner*>& banners() const noexcept { return banners_; }
    QWidget* phaseArea() const noexcept { return phaseArea_; }
    RemnantList* list() const noexcept { return list_; }
    QLabel* finishedHeadline() const noexcept { return finishedHeadline_; }
    QScrollArea* finishedArea() const noexcept { return finished_; }
    QLabel* failuresText() const noexcept { return failures_; }
    UninstallerFooter* footer() const noexcept { return footer_; }
    // Whether the app's own icon is still being read (the generic one shows meanwhile).
    bool isReadingIcon() const noexcept { return iconShown_ != iconGeneration_; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

public:
    QSize sizeHint() const override;

private:
    void sessionChanged(quint64 fields);
    void updateHeader();
    void updateBanners();
    void updatePhaseArea(bool remnantsChanged);
    QWidget* makeProgress();
    QWidget* makeEmptyState();
    QWidget* makeFinished();

    std::shared_ptr<UninstallSession> session_;
    bool appeared_ = false;
    ShellIconImage* icon_;
    std::vector<std::string> iconCandidates_; // the bundles the icon was last read from
    std::uint64_t iconGeneration_ = 0;
    std::uint64_t iconShown_ = 0;
    ShellText* title_;
    QLabel* status_;
    QWidget* bannerBox_;
    std::vector<UninstallBanner*> banners_;
    QWidget* phaseArea_; // shows one of the four below
    QWidget* progress_;
    QWidget* empty_;
    RemnantList* list_;
    QScrollArea* finished_;
    QLabel* finishedSymbol_;
    QLabel* finishedHeadline_;
    QLabel* failures_;
    UninstallerFooter* footer_;
};

} // namespace plenwick
