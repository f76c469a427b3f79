#include "picture_read_ahead.h"

#include "shell/background_work.h"

#include <QCoreApplication>
#include <QHash>

#include <future>

namespace tavrino::PictureReadAhead {
namespace {

struct Decoded {
    qreal density = 0;
    QHash<QString, std::pair<QRgb, ShapedPicture>> shaped;
    QHash<QString, QImage> plain;
};

// Written by the thread alone until the future is ready, then read and
// emptied on the window's thread only.
Decoded decoded;
std::future<void> work;

void waitForWork() {
    if (work.valid()) work.get();
}

} // namespace

void start(qreal density, const QList<ShapedRequest>& shaped, const QStringList& plain) {
    waitForWork();
    // Never still at work while the application ends, whether or not the
    // pictures were taken.
    static const bool waitsAtTheEnd = (qAddPostRoutine(waitForWork), true);
    (void)waitsAtTheEnd;
    decoded = Decoded{};
    decoded.density = density;
    work = std::async(std::launch::async, [density, shaped, plain] {
        runThisThreadInTheBackground();
        // Whatever goes wrong here only means the pictures are decoded when asked for.
        try {
            for (const ShapedRequest& r : shaped)
                decoded.shaped.insert(r.path,
                                      {r.key, WindowShape::shapedPicture(r.path, density, r.key)});
            for (const QString& path : plain)
                decoded.plain.insert(path, WindowShape::decodePicture(path, density));
        } catch (...) {
            decoded.shaped.clear();
            decoded.plain.clear();
        }
    });
}

std::optional<ShapedPicture> takeShaped(const QString& path, qreal density, QRgb key) {
    waitForWork();
    if (density != decoded.density || !decoded.shaped.contains(path)) return std::nullopt;
    auto [shapedKey, picture] = decoded.shaped.take(path);
    if (shapedKey != key || picture.seeThrough.isNull()) return std::nullopt;
    return picture;
}

std::optional<QImage> takePlain(const QString& path, qreal density) {
    waitForWork();
    if (density != decoded.density || !decoded.plain.contains(path)) return std::nullopt;
    QImage picture = decoded.plain.take(path);
    if (picture.isNull()) return std::nullopt;
    return picture;
}

} // namespace tavrino::PictureReadAhead
