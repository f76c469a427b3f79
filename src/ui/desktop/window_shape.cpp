#include "window_shape.h"

#include "ui/common/assets.h"
#include "ui/desktop/picture_read_ahead.h"
#include "ui/desktop/prepared_pictures.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <QWindow>

namespace tavrino {

QList<ShapeRun> scanTransparentRuns(const QImage& picture, QRgb transparent) {
    QList<ShapeRun> runs;
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb wanted = transparent & 0xFFFFFF;
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y <= height; ++y) {
        const auto* line =
            y < height ? reinterpret_cast<const QRgb*>(image.constScanLine(y)) : nullptr;
        int first = -1;
        for (int x = 0; x <= width; ++x) {
            const bool match = line && x < width && (line[x] & 0xFFFFFF) == wanted;
            if (match) {
                if (first < 0) first = x;
            } else if (first >= 0) {
                runs.append({y, first, x - 1});
                first = -1;
            }
        }
        if (first >= 0) runs.append({y, first, width});
    }
    return runs;
}

QRegion regionWithoutRuns(const QRect& base, const QList<ShapeRun>& runs) {
    QList<QRect> rects;
    rects.reserve(runs.size());
    for (const ShapeRun& r : runs)
        rects.append(QRect(QPoint(r.firstX, r.y), QPoint(r.lastX, r.y)));
    QRegion cut;
    cut.setRects(rects.constData(), static_cast<int>(rects.size()));
    return QRegion(base).subtracted(cut);
}

ShapeError::ShapeError()
    : std::runtime_error("Must pass in the name of a Form, PictureBox, CommandButton, CheckBox or "
                         "OptionButton.  TransForm ShapeMe method failed."),
      description(QString::fromLatin1(what())) {}

namespace {
// The widget's painted picture in logical pixels.
QImage paintedPicture(QWidget* widget) {
    QImage picture = widget->grab().toImage();
    if (picture.size() != widget->size()) picture = picture.scaled(widget->size());
    picture.setDevicePixelRatio(1.0);
    return picture;
}
} // namespace

void WindowShape::shapeTo(QWidget* target, QRgb transparent) {
    QRect base;
    QImage picture;
    if (qobject_cast<QPushButton*>(target) || qobject_cast<QCheckBox*>(target) ||
        qobject_cast<QRadioButton*>(target)) {
        auto* button = static_cast<QAbstractButton*>(target);
        button->setText(QString());
        QPalette pal = button->palette();
        pal.setColor(QPalette::Button, QColor::fromRgb(transparent));
        pal.setColor(QPalette::Window, QColor::fromRgb(transparent));
        button->setPalette(pal);
        picture = paintedPicture(button);
        base = QRect(QPoint(2, 2), QPoint(picture.width() - 3, picture.height() - 3));
    } else if (target && (target->isWindow() || qobject_cast<QLabel*>(target))) {
        picture = paintedPicture(target);
        base = picture.rect();
    } else {
        throw ShapeError();
    }
    m_region = regionWithoutRuns(base, scanTransparentRuns(picture, transparent));
    target->setMask(m_region);
}

QImage WindowShape::pictureFor(const QString& path, qreal density) {
    if (std::optional<QImage> early = PictureReadAhead::takePlain(path, density)) return *early;
    return decodePicture(path, density);
}

QImage WindowShape::decodePicture(const QString& path, qreal density) {
    if (density > 1.0) {
        QString dense = path;
        dense.insert(dense.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
        QImage picture = readAsset(dense);
        if (!picture.isNull()) {
            picture.setDevicePixelRatio(2.0);
            return picture;
        }
    }
    return readAsset(path);
}

ShapedPicture WindowShape::shapedPicture(const QString& path, qreal density, QRgb key) {
    if (std::optional<ShapedPicture> prepared = PreparedPictures::find(path, density, key))
        return *prepared;
    return decodeShapedPicture(path, density, key);
}

ShapedPicture WindowShape::decodeShapedPicture(const QString& path, qreal density, QRgb key) {
    QImage art = decodePicture(path, density);
    ShapedPicture shaped;
    shaped.size = art.deviceIndependentSize().toSize();
    // The mask at the window's own pixels; a dense picture's key colour
    // survives the nearest-pixel reduction.
    shaped.mask = regionWithoutRuns(
        QRect(QPoint(0, 0), shaped.size),
        scanTransparentRuns(art.devicePixelRatio() > 1.0
                                ? art.scaled(shaped.size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                : art,
                            key));
    // An opaque picture's pixels already read as premultiplied ones: it is
    // made see-through in place instead of in another copy of it.
    if (art.format() == QImage::Format_RGB32)
        art.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    else
        art.convertTo(QImage::Format_ARGB32);
    const QRgb wanted = key & 0xFFFFFF;
    for (int y = 0; y < art.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(art.scanLine(y));
        for (int x = 0; x < art.width(); ++x)
            if ((line[x] & 0xFFFFFF) == wanted) line[x] = 0;
    }
    shaped.seeThrough = std::move(art);
    return shaped;
}

QPixmap WindowShape::shapeToPicture(QWidget* window, const QString& path, QRgb key) {
    const qreal density = window->devicePixelRatioF();
    std::optional<ShapedPicture> early = PictureReadAhead::takeShaped(path, density, key);
    ShapedPicture shaped = early ? std::move(*early) : shapedPicture(path, density, key);
    m_region = shaped.mask;
    window->setFixedSize(shaped.size);
    window->setMask(m_region);
    window->setAttribute(Qt::WA_OpaquePaintEvent, false);
    window->setAttribute(Qt::WA_TranslucentBackground);
    return QPixmap::fromImage(std::move(shaped.seeThrough));
}

bool WindowShape::startSystemDrag(QWidget* window, Qt::MouseButton button) {
    if (button != Qt::LeftButton || !window) return false;
    QWindow* handle = window->windowHandle();
    return handle && handle->startSystemMove();
}

void WindowShape::mousePressed(QWidget* window, Qt::MouseButton button, const QPoint& globalPos) {
    if (startSystemDrag(window, button) || button != Qt::LeftButton) return;
    m_draggingByHand = true;
    m_grab = globalPos - window->frameGeometry().topLeft();
}

bool WindowShape::mouseMoved(QWidget* window, Qt::MouseButtons buttons, const QPoint& globalPos) {
    if (!m_draggingByHand || buttons == Qt::NoButton) return false;
    window->move(globalPos - m_grab);
    return true;
}

} // namespace tavrino
