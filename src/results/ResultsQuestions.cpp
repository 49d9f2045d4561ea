#include "results/ResultsQuestions.h"

#include "app/AppState.h"
#include "app/SizeShare.h"
#include "platform/ByteCountFormatter.h"

#include <QMessageBox>
#include <QPushButton>

namespace plenwick {

namespace {

QString nameOf(const FileNode& node, const VolumeNameMap& names) {
    return QString::fromStdString(displayName(node, names));
}

// Closes an alert without letting its own signals answer anything.
void closeQuietly(QPointer<QMessageBox>& alert, QObject* receiver) {
    QMessageBox* box = alert.data();
    alert = nullptr;
    if (!box) return;
    box->disconnect(receiver);
    box->close();
    box->deleteLater();
}

} // namespace

QString leftoverOfferTitle(const FileNode* app, const VolumeNameMap& names) {
    if (!app) return {};
    return QStringLiteral("Also remove what “") + nameOf(*app, names) + QStringLiteral("” left behind?");
}

QString leftoverOfferMessage(const FileNode& app, const VolumeNameMap& names) {
    return QStringLiteral("Apps leave settings, caches and data in your home folder (~/.config, ~/.cache, "
                          "~/.local/share). Plenwick can look for the ones “") +
           nameOf(app, names) + QStringLiteral("” left, and you choose which to delete along with it.");
}

QString trashConfirmTitle(const FileNode* item, const VolumeNameMap& names) {
    if (!item) return QStringLiteral("Move to Trash?");
    return QStringLiteral("Move “") + nameOf(*item, names) + QStringLiteral("” to the Trash?");
}

QString trashConfirmMessage(const FileNode* item) { return trashConfirmMessage(item, item ? item->size() : 0); }

QString trashConfirmMessage(const FileNode* item, std::int64_t frees) {
    if (!item) return {};
    // The scan never saw inside an unreadable folder: what it frees is not known.
    if (!isSizeKnown(*item))
        return QStringLiteral("Plenwick couldn’t read inside it, so what this frees is unknown. You can restore it "
                              "from the Trash until you empty it.");
    return QStringLiteral("This frees about ") + QString::fromStdString(formatByteCount(frees)) +
           QStringLiteral(". You can restore it from the Trash until you empty it.");
}

ResultsQuestions::ResultsQuestions(AppState& state, QWidget* window) : QObject(window), state_(state), window_(window) {}

ResultsQuestions::~ResultsQuestions() {
    closeQuietly(offer_, this);
    closeQuietly(trash_, this);
}

QMessageBox* ResultsQuestions::leftoverOffer() const { return offer_; }
QMessageBox* ResultsQuestions::trashConfirmation() const { return trash_; }

void ResultsQuestions::sync() {
    syncLeftoverOffer();
    syncTrashConfirmation();
}

void ResultsQuestions::syncLeftoverOffer() {
    // Only the first offer is asked, and none while an uninstall session is shown or
    // about to open.
    const NodeRef first = state_.leftoverOffers().empty() ? NodeRef() : state_.leftoverOffers().front();
    if (!first || state_.uninstallSession() || state_.isOpeningUninstallSession()) {
        offerShown_ = nullptr;
        closeQuietly(offer_, this);
        return;
    }
    if (offer_ && offerShown_ == first.get()) return;
    if (!offer_) {
        offer_ = new QMessageBox(window_->window());
        offer_->setObjectName(QStringLiteral("LeftoverOfferAlert"));
        offer_->setIcon(QMessageBox::Question);
        offer_->setTextFormat(Qt::PlainText);
        offer_->setWindowModality(Qt::WindowModal);
        QPushButton* find = offer_->addButton(QStringLiteral("Find Leftovers…"), QMessageBox::AcceptRole);
        QPushButton* decline = offer_->addButton(QStringLiteral("Just the App"), QMessageBox::RejectRole);
        offer_->setDefaultButton(find);
        offer_->setEscapeButton(decline);
        // Answered by its buttons (Escape is "Just the App"); closed any other way, it
        // answers nothing.
        connect(offer_, &QMessageBox::finished, this, [this, find, decline] {
            QAbstractButton* clicked = offer_ ? offer_->clickedButton() : nullptr;
            if (clicked == find)
                answerLeftoverOffer(true);
            else if (clicked == decline)
                answerLeftoverOffer(false);
            else {
                offerShown_ = nullptr;
                closeQuietly(offer_, this);
            }
        });
    }
    offerShown_ = first.get();
    const QString title = leftoverOfferTitle(first.get(), *state_.volumeNames());
    offer_->setWindowTitle(title);
    offer_->setText(title);
    offer_->setInformativeText(leftoverOfferMessage(*first, *state_.volumeNames()));
    offer_->open();
}

void ResultsQuestions::answerLeftoverOffer(bool accept) {
    // The alert goes with the answer; the state's change shows the next offer, if any.
    offerShown_ = nullptr;
    closeQuietly(offer_, this);
    state_.respondToLeftoverOffer(accept);
    syncLeftoverOffer();
}

void ResultsQuestions::syncTrashConfirmation() {
    const NodeRef& pending = state_.pendingTrash();
    if (!pending) {
        trashShown_ = nullptr;
        closeQuietly(trash_, this);
        return;
    }
    if (trash_ && trashShown_ == pending.get()) return;
    if (!trash_) {
        trash_ = new QMessageBox(window_->window());
        trash_->setObjectName(QStringLiteral("TrashConfirmation"));
        trash_->setIcon(QMessageBox::Warning);
        trash_->setTextFormat(Qt::PlainText);
        trash_->setWindowModality(Qt::WindowModal);
        QPushButton* move = trash_->addButton(QStringLiteral("Move to Trash"), QMessageBox::DestructiveRole);
        QPushButton* cancel = trash_->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
        trash_->setDefaultButton(cancel);
        trash_->setEscapeButton(cancel);
        // Only "Move to Trash" moves; Cancel, Escape or closing the alert clear the item.
        connect(trash_, &QMessageBox::finished, this, [this, move] {
            if (trash_ && trash_->clickedButton() == move)
                confirmTrash();
            else
                cancelTrash();
        });
    }
    trashShown_ = pending.get();
    const QString title = trashConfirmTitle(pending.get(), *state_.volumeNames());
    trash_->setWindowTitle(title);
    trash_->setText(title);
    // Bytes the item shares with a name staying in the tree stay on disk.
    trash_->setInformativeText(
        trashConfirmMessage(pending.get(), pending->size() - state_.bytesKeptUnderOtherNames({pending})));
    trash_->open();
}

void ResultsQuestions::confirmTrash() {
    const NodeRef pending = state_.pendingTrash();
    if (!pending) return;
    // Cleared first, so the dialog never shows twice for one confirmation.
    trashShown_ = nullptr;
    closeQuietly(trash_, this);
    state_.setPendingTrash(NodeRef());
    state_.trashPending(pending);
}

void ResultsQuestions::cancelTrash() {
    trashShown_ = nullptr;
    closeQuietly(trash_, this);
    if (state_.pendingTrash()) state_.setPendingTrash(NodeRef());
}

} // namespace plenwick
