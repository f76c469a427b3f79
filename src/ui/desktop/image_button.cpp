#include "image_button.h"

#include "ui/desktop/accessibility.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tavrino {

namespace {
bool releasedOn(const QWidget* control, const QMouseEvent* event) {
    return event->button() == Qt::LeftButton &&
           control->rect().contains(event->position().toPoint()) && control->isEnabled();
}
} // namespace

ImageButton::ImageButton(const QPixmap& picture, const QString& tip, QWidget* parent)
    : QLabel(parent) {
    makePressable(this);
    setPixmap(picture);
    setToolTip(tip);
    setAccessibleName(tip);
    setCursor(Qt::PointingHandCursor);
    resize(picture.size());
}

void ImageButton::click() {
    if (isEnabled()) emit clicked();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (releasedOn(this, event)) emit clicked();
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    if (isPressKey(event->key())) {
        click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ImageButton::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter p(this);
    drawFocusFrame(p, this);
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    makePressable(this, QAccessible::Link);
    setText(text);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::click() {
    if (isEnabled()) emit clicked();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    // Taken here, so the window beneath does not start a drag.
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (releasedOn(this, event)) emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    if (isPressKey(event->key())) {
        click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter p(this);
    drawFocusFrame(p, this);
}

} // namespace tavrino
