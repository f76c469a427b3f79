#pragma once

#include "ui/desktop/window_shape.h"

#include <QImage>
#include <QList>
#include <QString>

#include <optional>

namespace tavrino {

// The pictures a starting window shows, decoded (and shaped) on a thread of
// their own while Qt and the window's widgets are being set up. Each is
// handed over once, to the first caller that asks for it with the same
// arguments; that caller waits for the thread if it is still at work.
namespace PictureReadAhead {

struct ShapedRequest {
    QString path;
    QRgb key;
};

void start(qreal density, const QList<ShapedRequest>& shaped, const QStringList& plain);
std::optional<ShapedPicture> takeShaped(const QString& path, qreal density, QRgb key);
std::optional<QImage> takePlain(const QString& path, qreal density);

} // namespace PictureReadAhead
} // namespace tavrino
