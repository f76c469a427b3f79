#pragma once

#include <QAccessible>
#include <QLabel>

namespace tavrino {

// A label that acts when clicked with the left button, or pressed with
// Space or Enter when it has the focus; a press on it never starts dragging
// the window beneath. Screen readers see it in its role with a press action.
class PressableLabel : public QLabel {
    Q_OBJECT
public:
    PressableLabel(QAccessible::Role role, QWidget* parent);

public slots:
    void click();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A picture that acts as a button. Its tooltip is also its accessible name,
// since it shows no text.
class ImageButton : public PressableLabel {
    Q_OBJECT
public:
    ImageButton(const QPixmap& picture, const QString& tip, QWidget* parent = nullptr);
};

// A line of text that opens something.
class LinkLabel : public PressableLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
};

} // namespace tavrino
