#include "pressable.h"

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

QAccessibleInterface* pressableFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    const QVariant role = widget->property(RoleProperty);
    if (!role.isValid()) return nullptr;
    return new PressableAccessible(widget, static_cast<QAccessible::Role>(role.toInt()));
}

} // namespace

void makePressable(QWidget* control, QAccessible::Role role) {
    static const bool installed = (QAccessible::installFactory(pressableFactory), true);
    (void)installed;
    control->setProperty(RoleProperty, static_cast<int>(role));
    control->setFocusPolicy(Qt::TabFocus);
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
