#pragma once

#include <QAbstractButton>
#include <QColor>

namespace tavrino {

// The program's flat button: a rounded plate with a bold caption that lights
// up in its Flash colour under the mouse and is clicked as soon as any mouse
// button goes down on it. It never notices the mouse leaving: the host calls
// resetHighlight to put it back to its normal colour. A QAbstractButton, so
// that click(), clicked(), text() and focus are Qt's own.
class FlatButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit FlatButton(QWidget* parent = nullptr);

    void setBackColor(const QColor& color);
    QColor backColor() const { return m_captionBack; }
    void setFlash(const QColor& color);
    void setBorderColor(const QColor& color);
    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }
    void setTip(const QString& tip);
    void resetHighlight();


    bool isHighlighted() const { return m_plateFill == m_flash && m_flash != m_normal; }
    QColor plateFill() const { return m_plateFill; }

    // The flat buttons' own pointer (32 x 32, hot spot 10, 8).
    static QCursor buttonCursor();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QSize sizeHint() const override { return {57, 25}; }
    // Clicked on the press itself; no press state to release.
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_normal;
    QColor m_flash;
    QColor m_border = Qt::black;
    QColor m_plateFill;
    QColor m_captionBack;
    QString m_caption = QStringLiteral("CANCEL");
};

} // namespace tavrino
