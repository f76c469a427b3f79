#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QPixmap>

namespace tavrino {

// A picture or a line of text drawn as it is, that acts as a button: clicked
// with the left button, or pressed with Space or Enter when it has the focus;
// a press on it never starts dragging the window beneath. Screen readers see
// it in its role with a press action.
class DrawnButton : public QAbstractButton {
    Q_OBJECT
public:
    DrawnButton(QAccessible::Role role, QWidget* parent);

    void setPixmap(const QPixmap& picture);
    QPixmap pixmap() const { return m_picture; }
    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

// A picture that acts as a button. Its tooltip is also its accessible name,
// since it shows no text.
class ImageButton : public DrawnButton {
    Q_OBJECT
public:
    ImageButton(const QPixmap& picture, const QString& tip, QWidget* parent = nullptr);
};

// A line of text that opens something.
class LinkLabel : public DrawnButton {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
};

} // namespace tavrino
