#include "results/InspectorSplitter.h"

#include "results/InspectorColumnWidth.h"
#include "shell/Divider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>

namespace plenwick {

namespace {

const QString kIncrease = QAccessibleActionInterface::increaseAction();
const QString kDecrease = QAccessibleActionInterface::decreaseAction();

// The handle as one adjustable element: "Inspector width", its value in points.
class HandleAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit HandleAccessible(InspectorResizeHandle* handle) : QAccessibleWidget(handle, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return QStringLiteral("Inspector width");
        if (t == QAccessible::Value) return model() ? InspectorColumnWidth::accessibleValue(model()->displayedWidth()) : QString();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QStringList actionNames() const override { return {kIncrease, kDecrease}; }
    void doAction(const QString& name) override {
        if (name == kIncrease) handle()->adjust(true);
        else if (name == kDecrease) handle()->adjust(false);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    QVariant currentValue() const override { return model() ? model()->displayedWidth() : QVariant(); }
    void setCurrentValue(const QVariant&) override {} // only the steps change it
    QVariant maximumValue() const override { return InspectorColumnWidth::maximum; }
    QVariant minimumValue() const override { return InspectorColumnWidth::minimum; }
    QVariant minimumStepSize() const override { return InspectorColumnWidth::step; }

private:
    InspectorResizeHandle* handle() const { return static_cast<InspectorResizeHandle*>(widget()); }
    InspectorColumnWidth* model() const { return handle()->widthModel(); }
};

QAccessibleInterface* handleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("plenwick::InspectorResizeHandle") && object && object->isWidgetType())
        return new HandleAccessible(static_cast<InspectorResizeHandle*>(object));
    return nullptr;
}

} // namespace

InspectorResizeHandle::InspectorResizeHandle(Qt::Orientation orientation, QSplitter* parent)
    : QSplitterHandle(orientation, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(handleFactory);
        return true;
    }();
    (void)installed;
    setObjectName(QStringLiteral("InspectorResizeHandle"));
    setToolTip(QStringLiteral("Drag to resize the inspector; double-click to reset its width"));
    setAccessibleName(QStringLiteral("Inspector width"));
    setCursor(Qt::SizeHorCursor);
    setAttribute(Qt::WA_MouseNoMask);
}

void InspectorResizeHandle::adjust(bool increment) {
    if (!model_) return;
    model_->adjust(increment);
    emit widthChanged();
}

void InspectorResizeHandle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(QRect(contentsRect().left(), 0, 1, height()), dividerColor(palette()));
}

void InspectorResizeHandle::resizeEvent(QResizeEvent* event) {
    // In place of the splitter handle's own margins: the splitter widens the handle by
    // them and lays the panes out beside the one-pixel line, so they are the handle's
    // reach on either side. Only the line is painted; the margins take the pointer.
    const int lead = InspectorColumnWidth::handleShift;
    const QMargins margins(lead, 0, InspectorColumnWidth::handleWidth - lead - 1, 0);
    if (contentsMargins() != margins) setContentsMargins(margins);
    setMask(QRegion(contentsRect()));
    QWidget::resizeEvent(event);
}

void InspectorResizeHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressX_ = event->globalPosition().x();
    dragging_ = false;
}

void InspectorResizeHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !model_) return;
    const double translation = event->globalPosition().x() - pressX_;
    if (!dragging_ && std::abs(translation) < 1) return; // the least distance of a drag
    dragging_ = true;
    model_->dragChanged(translation);
    emit widthChanged();
}

void InspectorResizeHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = false;
    if (model_) model_->dragEnded();
}

void InspectorResizeHandle::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !model_) return;
    model_->reset();
    emit widthChanged();
}

InspectorSplitter::InspectorSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setHandleWidth(1);
    setChildrenCollapsible(false);
}

InspectorResizeHandle* InspectorSplitter::inspectorHandle() const {
    return count() > 1 ? static_cast<InspectorResizeHandle*>(handle(1)) : nullptr;
}

QSplitterHandle* InspectorSplitter::createHandle() { return new InspectorResizeHandle(orientation(), this); }

} // namespace plenwick
