#pragma once
// The preview of one file, in a window of its own beside the main window: the
// picture of an image, the text of a text file, otherwise the icon and the facts.
// The file is read in the background; a newer request makes an older read stale.

#include "results/PreviewContent.h"

#include <QWidget>

#include <cstdint>
#include <string>

class QLabel;
class QPlainTextEdit;
class QStackedWidget;

namespace plenwick {

class Executor;

class PreviewWindow final : public QWidget {
    Q_OBJECT

public:
    PreviewWindow(Executor& executor, QWidget* parent = nullptr);

    // Shows the window for `path` (raw bytes) and starts reading it.
    void showPath(const std::string& path);
    const std::string& path() const { return path_; }
    // What is on show (for tests): the content last applied, if it is for `path()`.
    const PreviewContent* content() const { return loaded_ ? &content_ : nullptr; }
    QWidget* currentPage() const;
    // The picture of an item shown by its facts.
    QPixmap factsPicture() const;

signals:
    // The user closed the window.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void apply(PreviewContent content);
    void showFactsIcon();

    Executor& executor_;
    std::string path_;
    std::uint64_t generation_ = 0;
    bool loaded_ = false;
    bool closingFromState_ = false;
    bool placed_ = false;  // on the screen, over the results, when first shown
    PreviewContent content_;
    QStackedWidget* pages_;
    QWidget* loading_;
    class ImagePage* image_;
    QPlainTextEdit* text_;
    QWidget* facts_;
    QLabel* factsIcon_;
    QLabel* factsName_;
    QLabel* factsDetails_;

public:
    // Hides the window without reporting a user close (the state closed it).
    void closeQuietly();
};

} // namespace plenwick
