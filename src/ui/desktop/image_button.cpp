#include "image_button.h"

#include "ui/desktop/accessibility.h"

#include <QKeyEvent>
#include <QPainter>

namespace tavrino {

DrawnButton::DrawnButton(QAccessible::Role role, QWidget* parent) : QAbstractButton(parent) {
    // Before anything asks for its accessible interface, which is then kept.
    makePressable(this, role);
    setCursor(Qt::PointingHandCursor);
}

void DrawnButton::setPixmap(const QPixmap& picture) {
    m_picture = picture;
    update();
}

QSize DrawnButton::sizeHint() const {
    if (!m_picture.isNull()) return m_picture.deviceIndependentSize().toSize();
    return fontMetrics().size(Qt::TextSingleLine, text());
}

void DrawnButton::keyPressEvent(QKeyEvent* event) {
    // Enter too, as Space: the drawn buttons stand for push buttons.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void DrawnButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_picture.isNull()) {
        p.drawPixmap(0, 0, m_picture);
    } else {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
    }
    drawFocusFrame(p, this);
}

ImageButton::ImageButton(const QPixmap& picture, const QString& tip, QWidget* parent)
    : DrawnButton(QAccessible::Button, parent) {
    setPixmap(picture);
    setToolTip(tip);
    setAccessibleName(tip);
    resize(picture.deviceIndependentSize().toSize());
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent)
    : DrawnButton(QAccessible::Link, parent) {
    setText(text);
}

} // namespace tavrino
