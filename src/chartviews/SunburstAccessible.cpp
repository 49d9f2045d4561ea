#include "chartviews/SunburstAccessible.h"

#include "chartviews/SunburstTexts.h"
#include "chartviews/SunburstView.h"

#include <QAccessibleWidget>

namespace plenwick {

namespace {

class SunburstAccessible final : public QAccessibleWidget {
public:
    explicit SunburstAccessible(SunburstView* view) : QAccessibleWidget(view, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name || t == QAccessible::Description) return view()->accessibilityLabel();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override { return {sunburstZoomOutActionName()}; }
    void doAction(const QString& name) override {
        if (name == sunburstZoomOutActionName()) view()->zoomOut();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    SunburstView* view() const { return static_cast<SunburstView*>(widget()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("plenwick::SunburstView") && object && object->isWidgetType())
        return new SunburstAccessible(static_cast<SunburstView*>(object));
    return nullptr;
}

} // namespace

void installSunburstAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace plenwick
