#pragma once
// The popup listing every collected item, largest first, under a header with their
// count and the total the collector would free. A row reveals its item when clicked
// and removes it from the collector with its button.

#include "collector/ShellCollectorCache.h"

#include <QFrame>

namespace plenwick {

class AppState;
class CollectorRowList;

class ShellCollectorItemsList final : public QFrame {
    Q_OBJECT

public:
    explicit ShellCollectorItemsList(AppState& state, QWidget* parent = nullptr);

    // Shows the popup above `anchor`, centred on it.
    void popUpAbove(QWidget* anchor);

    QString title() const;
    QString totalText() const;
    // A row's folder line and size.
    QString rowSubtitle(const FileNode& node) const;
    QString rowSize(const FileNode& node) const;
    CollectorRowList* list() const { return list_; }

    static constexpr int kWidth = 400;

signals:
    void contextMenuRequested(const NodeRef& node, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onChanged(quint64 fields);
    void reload();

    AppState& state_;
    ShellCollectorCache cache_;
    CollectorRowList* list_;
    QWidget* header_;
};

// One row of the list: icon, name over the folder it lies in, size with leftovers,
// remove button.
class ShellCollectorItemRow {
public:
    static constexpr int kHeight = 32, kPitch = 40, kIconSize = 22;
    static void paint(QPainter& painter, const QRectF& rect, const QPalette& palette, const FileNode& node,
                      const QString& name, const QString& subtitle, const QString& size, bool hovered);
    static QRectF removeRect(const QRectF& rect);
};

} // namespace plenwick
