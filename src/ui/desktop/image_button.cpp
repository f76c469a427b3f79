#include "image_button.h"

#include "ui/desktop/accessibility.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tavrino {

PressableLabel::PressableLabel(QAccessible::Role role, QWidget* parent) : QLabel(parent) {
    // Before anything asks for its accessible interface, which is then kept.
    makePressable(this, role);
    setCursor(Qt::PointingHandCursor);
}

void PressableLabel::click() {
    if (isEnabled()) emit clicked();
}

void PressableLabel::mousePressEvent(QMouseEvent* event) {
    // Taken here, so the window beneath does not start a drag.
    event->accept();
}

void PressableLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
}

void PressableLabel::keyPressEvent(QKeyEvent* event) {
    if (isPressKey(event->key())) {
        click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void PressableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter p(this);
    drawFocusFrame(p, this);
}

ImageButton::ImageButton(const QPixmap& picture, const QString& tip, QWidget* parent)
    : PressableLabel(QAccessible::Button, parent) {
    setPixmap(picture);
    setToolTip(tip);
    setAccessibleName(tip);
    resize(picture.deviceIndependentSize().toSize());
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent)
    : PressableLabel(QAccessible::Link, parent) {
    setText(text);
}

} // namespace tavrino
