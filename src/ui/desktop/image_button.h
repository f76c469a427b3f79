#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace tavrino {

// A picture that acts when clicked with the left button. Its tooltip is also
// its accessible name, since it shows no text.
class ImageButton : public QLabel {
    Q_OBJECT
public:
    ImageButton(const QPixmap& picture, const QString& tip, QWidget* parent = nullptr)
        : QLabel(parent) {
        setPixmap(picture);
        setToolTip(tip);
        setAccessibleName(tip);
        setCursor(Qt::PointingHandCursor);
        resize(picture.size());
    }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            isEnabled())
            emit clicked();
    }
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
};

} // namespace tavrino
