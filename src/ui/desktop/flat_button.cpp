#include "flat_button.h"

#include "ui/common/assets.h"
#include "ui/desktop/accessibility.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace tavrino {

FlatButton::FlatButton(QWidget* parent) : QAbstractButton(parent) {
    useAssets();
    // Before anything asks for its accessible interface, which is then kept.
    makePressable(this);
    // Created in the system's button face, until the host sets its colours.
    const QColor face = palette().color(QPalette::Button);
    m_normal = m_flash = m_plateFill = m_captionBack = face;
    setMouseTracking(true);
    setCursor(buttonCursor());
    setAttribute(Qt::WA_Hover, false);
    setAccessibleName(m_caption);
    setText(m_caption);
    resize(sizeHint());
}

QCursor FlatButton::buttonCursor() {
    static const QCursor cursor(
        QPixmap::fromImage(readAsset(QStringLiteral(":/assets/button-cursor.png"))), 10, 8);
    return cursor;
}

void FlatButton::setBackColor(const QColor& color) {
    m_captionBack = color;
    m_normal = color;
    update();
}

void FlatButton::setFlash(const QColor& color) {
    m_flash = color;
    m_plateFill = color;
    update();
}

void FlatButton::setBorderColor(const QColor& color) {
    m_border = color;
    update();
}

void FlatButton::setCaption(const QString& caption) {
    m_caption = caption;
    setText(caption);
    setAccessibleName(caption);
    update();
}

void FlatButton::setTip(const QString& tip) {
    setToolTip(tip);
    setAccessibleDescription(tip);
}

void FlatButton::resetHighlight() {
    m_captionBack = m_normal;
    m_plateFill = m_normal;
    update();
}

void FlatButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit clicked(false);
}

void FlatButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void FlatButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (m_plateFill != m_flash || m_captionBack != m_flash) {
        m_plateFill = m_flash;
        m_captionBack = m_flash;
        update();
    }
}

void FlatButton::keyPressEvent(QKeyEvent* event) {
    if (isPressKey(event->key()) && !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void FlatButton::focusInEvent(QFocusEvent* event) {
    update();
    QAbstractButton::focusInEvent(event);
}

void FlatButton::focusOutEvent(QFocusEvent* event) {
    update();
    QAbstractButton::focusOutEvent(event);
}

void FlatButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(m_border, 1));
    p.setBrush(m_plateFill);
    p.drawRoundedRect(plate, 7, 7);

    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(11);
    p.setFont(bold);
    const QFontMetrics metrics(bold);
    QRect text = metrics.boundingRect(m_caption);
    text.moveCenter(rect().center());
    p.setPen(Qt::NoPen);
    p.setBrush(m_captionBack);
    p.drawRect(text.adjusted(-1, 0, 1, 0));
    p.setPen(Qt::black);
    p.drawText(rect(), Qt::AlignCenter, m_caption);
    drawFocusFrame(p, this, 5);
}

} // namespace tavrino
