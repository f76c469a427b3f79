#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRegion>
#include <QString>

#include <stdexcept>

class QWidget;

namespace tavrino {

// One horizontal stretch of transparent pixels in one row.
struct ShapeRun {
    int y;
    int firstX;
    int lastX;
    bool operator==(const ShapeRun&) const = default;
};

// The runs of exactly the transparent colour, row by row, scanning one row
// and one column beyond the picture (those pixels never match).
QList<ShapeRun> scanTransparentRuns(const QImage& picture, QRgb transparent);
// The base rectangle with every run cut out.
QRegion regionWithoutRuns(const QRect& base, const QList<ShapeRun>& runs);

// A window's picture with its key colour made see-through, and the mask
// that keeps clicks off that outside (in the window's own pixels).
struct ShapedPicture {
    QImage seeThrough;
    QRegion mask;
    QSize size;
};

// Raised by shapeTo for an object it can't shape.
struct ShapeError : std::runtime_error {
    static constexpr long Number = -2147218992;
    ShapeError();
    QString source = QStringLiteral("TransForm");
    QString description;
};

// Gives a window the outline of its painted picture and drags windows that
// have no caption bar.
class WindowShape {
public:
    // target: a window or picture label (cut by its whole picture), or a
    // push button, check box or radio button (its 2-pixel border left out).
    void shapeTo(QWidget* target, QRgb transparent);
    // A window drawn by one picture (path: NAME.png, with NAME@2x.png for
    // denser screens) whose outside is the key colour: the picture comes
    // back with that outside see-through, so the desktop shows through it
    // on every platform (Wayland has no shape for what is drawn), and the
    // window's mask, in its own pixels, keeps clicks off the outside. Call
    // before the window is first shown.
    QPixmap shapeToPicture(QWidget* window, const QString& path, QRgb key);
    // The picture at path for a screen of this density: NAME@2x.png beside
    // it when the density is above 1 and there is one.
    static QImage pictureFor(const QString& path, qreal density);
    // The same, always decoded now: safe on any thread.
    static QImage decodePicture(const QString& path, qreal density);
    // What shapeToPicture makes of the picture, without any window: safe on
    // any thread. Prepared when the program was built where it was.
    static ShapedPicture shapedPicture(const QString& path, qreal density, QRgb key);
    // The same, always decoded and made see-through now.
    static ShapedPicture decodeShapedPicture(const QString& path, qreal density, QRgb key);
    // Moves the window as if its caption were grabbed: left button only.
    // False when nothing started (another button, or no window manager to
    // move it: the caller then moves it by hand).
    bool startSystemDrag(QWidget* window, Qt::MouseButton button);

    // A press on the window's body: startSystemDrag, or, where no window manager
    // moves it, a move by hand that mouseMoved follows until released.
    void mousePressed(QWidget* window, Qt::MouseButton button, const QPoint& globalPos);
    // True when the move was the window's drag (and moved it).
    bool mouseMoved(QWidget* window, Qt::MouseButtons buttons, const QPoint& globalPos);
    void mouseReleased() { m_draggingByHand = false; }

    QRegion region() const { return m_region; }

private:
    QRegion m_region;
    QPoint m_grab;
    bool m_draggingByHand = false;
};

} // namespace tavrino
