#include "prepared_pictures.h"

#include <QList>

#include <atomic>

namespace tavrino::PreparedPictures {
namespace {
// Set once before any thread looks (the start adds them before the window's
// pictures are read ahead); read from any thread after.
std::atomic<const Prepared*> known{nullptr};
std::atomic<int> knownCount{0};
} // namespace

void add(const Prepared* pictures, int count) {
    knownCount.store(count, std::memory_order_relaxed);
    known.store(pictures, std::memory_order_release);
}

std::optional<ShapedPicture> find(const QString& path, qreal density, QRgb key) {
    // Prepared at the plain density only: a denser screen decodes NAME@2x.png.
    if (density > 1.0) return std::nullopt;
    const Prepared* pictures = known.load(std::memory_order_acquire);
    if (!pictures) return std::nullopt;
    const int count = knownCount.load(std::memory_order_relaxed);
    for (int i = 0; i < count; ++i) {
        const Prepared& p = pictures[i];
        if (p.key != key || path != QLatin1String(p.path)) continue;
        ShapedPicture shaped;
        shaped.size = QSize(p.width, p.height);
        // Read-only, never copied unless written to.
        shaped.seeThrough = QImage(p.pixels, p.width, p.height, p.width * 4,
                                   QImage::Format_ARGB32_Premultiplied);
        QList<QRect> rects;
        rects.reserve(p.rectCount);
        for (int r = 0; r < p.rectCount; ++r)
            rects.append(QRect(p.rects[4 * r], p.rects[4 * r + 1], p.rects[4 * r + 2],
                               p.rects[4 * r + 3]));
        shaped.mask.setRects(rects.constData(), int(rects.size()));
        return shaped;
    }
    return std::nullopt;
}

} // namespace tavrino::PreparedPictures
