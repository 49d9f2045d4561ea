#pragma once
// Widgets changed from inside a state's notification, under a resting pointer.

#include <QCursor>
#include <QObject>
#include <QTest>
#include <QWidget>

#include <memory>
#include <utility>

namespace plenwick::test {

// Runs `act` once, inside the observable's next `changed` signal, as a view's handler
// would (showing, hiding or moving widgets there).
template <class Observable, class Act>
void duringNextNotification(Observable& observable, Act act) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&observable, &Observable::changed, [connection, act = std::move(act)]() mutable {
        QObject::disconnect(*connection);
        act();
    });
}

// Puts the pointer at `at` in `widget` and lets it rest there.
inline void restPointer(QWidget* widget, QPoint at) {
    QCursor::setPos(widget->mapToGlobal(at));
    QTest::mouseMove(widget, at);
}

} // namespace plenwick::test
