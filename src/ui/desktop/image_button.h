#pragma once

#include <QLabel>

namespace tavrino {

// A picture that acts when clicked with the left button, or pressed with
// Space or Enter when it has the focus. Its tooltip is also its accessible
// name, since it shows no text.
class ImageButton : public QLabel {
    Q_OBJECT
public:
    ImageButton(const QPixmap& picture, const QString& tip, QWidget* parent = nullptr);

public slots:
    void click();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A line of text that opens something: a click, Space or Enter on it. A press
// on it never starts dragging the window under it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

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

} // namespace tavrino
