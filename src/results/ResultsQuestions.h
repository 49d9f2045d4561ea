#pragma once
// The two questions the results screen asks for the state: the offer to look for what
// a collected app left behind, and the confirmation before one item goes to the
// Trash. Both are driven by the state alone (its queue of offers, its item awaiting
// the Trash), and both hand their answer back to it.

#include "app/VolumeNameMap.h"
#include "scanner/FileNode.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>

class QMessageBox;
class QWidget;

namespace plenwick {

class AppState;

// "Also remove what “<app>” left behind?", empty without an app. Names as `names`
// call them.
QString leftoverOfferTitle(const FileNode* app, const VolumeNameMap& names);
QString leftoverOfferMessage(const FileNode& app, const VolumeNameMap& names);
// "Move “<item>” to the Trash?", "Move to Trash?" without an item.
QString trashConfirmTitle(const FileNode* item, const VolumeNameMap& names);
// "This frees about <size>. …", empty without an item.
QString trashConfirmMessage(const FileNode* item);
// The same with the bytes the move frees, where they differ from the item's size.
QString trashConfirmMessage(const FileNode* item, std::int64_t frees);

class ResultsQuestions final : public QObject {
    Q_OBJECT

public:
    // The alerts are window-modal over the window of `view`.
    ResultsQuestions(AppState& state, QWidget* view);
    ~ResultsQuestions() override;

    // Shows, updates or closes each alert as the state says.
    void sync();

    QMessageBox* leftoverOffer() const;
    QMessageBox* trashConfirmation() const;
    // The answers, as the alerts' buttons give them.
    void answerLeftoverOffer(bool accept);
    void confirmTrash();
    void cancelTrash();

private:
    void syncLeftoverOffer();
    void syncTrashConfirmation();

    AppState& state_;
    QWidget* window_; // the view whose window the alerts belong to
    QPointer<QMessageBox> offer_;
    QPointer<QMessageBox> trash_;
    const FileNode* offerShown_ = nullptr; // the app the alert asks about, by identity
    const FileNode* trashShown_ = nullptr;
};

} // namespace plenwick
