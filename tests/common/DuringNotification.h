#pragma once
// Widgets changed from inside a state's notification, under a resting pointer.

#include <QCursor>
#include <QObject>
#include <QPointer>
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

// Inside the observable's next notification, shows a widget over the whole of `window`,
// as a screen or panel appearing under the resting pointer would. Hidden until then.
template <class Observable>
QWidget* coverDuringNextNotification(Observable& observable, QWidget* window) {
    auto* cover = new QWidget(window);
    cover->setGeometry(window->rect());
    cover->hide();
    duringNextNotification(observable, [cover = QPointer<QWidget>(cover)] {
        if (!cover) return;
        cover->show();
        cover->raise();
    });
    return cover;
}

// Puts the pointer at `at` in `widget` and lets it rest there.
inline void restPointer(QWidget* widget, QPoint at) {
    QCursor::setPos(widget->mapToGlobal(at));
    QTest::mouseMove(widget, at);
}

} // namespace plenwick::test
