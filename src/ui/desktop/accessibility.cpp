#include "accessibility.h"

#include <QAccessibleWidget>
#include <QMetaObject>
#include <QPainter>
#include <QVariant>
#include <QWidget>

namespace tavrino {

namespace {

const char* const RoleProperty = "tavrinoPressRole";
const char* const KeysProperty = "tavrinoPressKeys";

class PressableAccessible : public QAccessibleWidget {
public:
    PressableAccessible(QWidget* control, QAccessible::Role role)
        : QAccessibleWidget(control, role) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && widget()->isEnabled())
            QMetaObject::invokeMethod(widget(), "click");
        else
            QAccessibleWidget::doAction(action);
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction()) return widget()->property(KeysProperty).toStringList();
        return QAccessibleWidget::keyBindingsForAction(action);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty())
            return widget()->toolTip();
        return QAccessibleWidget::text(t);
    }
};

const char* const ShownChildrenProperty = "tavrinoShownChildrenRole";

class ShownChildrenAccessible : public QAccessibleWidget {
public:
    ShownChildrenAccessible(QWidget* container, QAccessible::Role role)
        : QAccessibleWidget(container, role) {}

    int childCount() const override { return static_cast<int>(shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = shown();
        if (index < 0 || index >= children.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(children[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        return static_cast<int>(shown().indexOf(qobject_cast<QWidget*>(child->object())));
    }

private:
    QList<QWidget*> shown() const {
        QList<QWidget*> children;
        for (QObject* o : widget()->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && !w->isWindow() && !w->isHidden()) children.append(w);
        }
        return children;
    }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (const QVariant role = widget->property(RoleProperty); role.isValid())
        return new PressableAccessible(widget, static_cast<QAccessible::Role>(role.toInt()));
    if (const QVariant role = widget->property(ShownChildrenProperty); role.isValid())
        return new ShownChildrenAccessible(widget, static_cast<QAccessible::Role>(role.toInt()));
    return nullptr;
}

void installFactory() {
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}

} // namespace

void makePressable(QWidget* control, QAccessible::Role role) {
    installFactory();
    control->setProperty(RoleProperty, static_cast<int>(role));
    control->setFocusPolicy(Qt::TabFocus);
}

void showOnlyShownChildren(QWidget* container, QAccessible::Role role) {
    installFactory();
    container->setProperty(ShownChildrenProperty, static_cast<int>(role));
}

void setPressKeys(QWidget* control, const QStringList& keys) {
    control->setProperty(KeysProperty, keys);
}

bool isPressKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

void drawFocusFrame(QPainter& painter, const QWidget* control, qreal radius) {
    if (!control->hasFocus()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(0x1d, 0x2b, 0x4a), 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(control->rect()).adjusted(2.5, 2.5, -2.5, -2.5), radius, radius);
    painter.restore();
}

} // namespace tavrino
