#include "collector/CollectorAccessible.h"

#include "collector/CollectorChipStrip.h"
#include "collector/CollectorRowList.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace plenwick {

namespace {

// One drawn remove button: the child at `index` of the widget's element.
class RemoveButtonAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    RemoveButtonAccessible(QAccessibleInterface* parent, QWidget* widget, CollectorRemoveButtons* buttons, int index)
        : parent_(parent), widget_(widget), buttons_(buttons), index_(index) {}

    bool isValid() const override { return widget_ && index_ < buttons_->removeButtonCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent_->window(); }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return parent_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? buttons_->removeButtonName(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect local = buttons_->removeButtonRect(index_);
        return QRect(widget_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !isValid() || buttons_->removeButtonRect(index_).isEmpty();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid()) buttons_->pressRemoveButton(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAccessibleInterface* parent_;
    QPointer<QWidget> widget_;
    CollectorRemoveButtons* buttons_;
    int index_;
};

// The widget's element, whose children are its remove buttons.
class RemoveButtonsOwnerAccessible final : public QAccessibleWidget {
public:
    RemoveButtonsOwnerAccessible(QWidget* widget, CollectorRemoveButtons* buttons)
        : QAccessibleWidget(widget, QAccessible::List), buttons_(buttons) {}
    ~RemoveButtonsOwnerAccessible() override {
        for (QAccessible::Id id : children_) QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return buttons_->removeButtonCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        // Made once per place; each reads its item when asked.
        while (static_cast<int>(children_.size()) <= index) {
            auto* button = new RemoveButtonAccessible(const_cast<RemoveButtonsOwnerAccessible*>(this), widget(), buttons_,
                                                      static_cast<int>(children_.size()));
            children_.push_back(QAccessible::registerAccessibleInterface(button));
        }
        return QAccessible::accessibleInterface(children_[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < children_.size(); ++i)
            if (QAccessible::accessibleInterface(children_[i]) == child) return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface* c = child(i); c && c->rect().contains(x, y)) return c;
        return nullptr;
    }

private:
    CollectorRemoveButtons* buttons_;
    mutable std::vector<QAccessible::Id> children_;
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("plenwick::CollectorChipStrip"))
        return new RemoveButtonsOwnerAccessible(widget, static_cast<CollectorChipStrip*>(widget));
    if (className == QLatin1String("plenwick::CollectorRowList"))
        return new RemoveButtonsOwnerAccessible(widget, static_cast<CollectorRowList*>(widget));
    return nullptr;
}

} // namespace

void installCollectorAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace plenwick
