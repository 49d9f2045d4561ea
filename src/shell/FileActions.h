#pragma once
// What every view does with the items it shows: open, reveal, copy their paths, drag
// them out. The charts, the outline, the inspector and the collector all come here.

#include <QPixmap>
#include <QPoint>

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace plenwick {

// Where a failed open or reveal is told: an alert with this title and text.
using FileActionFailure = std::function<void(const QString& title, const QString& message)>;
// Told by an alert over the window of `widget` (the tool windows, which have no
// application state).
FileActionFailure alertOver(QWidget* widget);

// Opens the item with the desktop's default application; `failed` hears when no
// application took it, titled "Couldn’t Open Item".
void openItem(const std::string& path, FileActionFailure failed = {});

// Shows the item selected in the file manager (the parent folder when none answers);
// `failed` hears when neither worked, titled "Couldn’t Reveal Item".
void revealItem(const std::string& path, FileActionFailure failed = {});

// Puts the paths on the clipboard, as fileMimeData has them.
void copyPaths(const std::vector<std::string>& paths);

// The items for the clipboard and for drags: their file URLs (text/uri-list,
// percent-encoded from the bytes) and their paths as text, one per line. A path that
// is not valid UTF-8 keeps its exact bytes as the plain text, which is how the
// locale's programs spell that file; only the flavour that promises UTF-8 has the bad
// bytes replaced (U+FFFD), for readers that take nothing else.
QMimeData* fileMimeData(const std::vector<std::string>& paths);

// Drags the items out of `source` as file URLs, offering the drop target a copy only,
// showing `preview` under the pointer at `hotSpot` when one is given; returns when the
// drop is over.
void dragItems(QWidget* source, const std::vector<std::string>& paths, const QPixmap& preview = QPixmap(),
               QPoint hotSpot = QPoint());

} // namespace plenwick
