#include "assets.h"

#include <QImage>
#include <QImageReader>
#include <QString>

static void registerAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace tavrino {
void useAssets() {
    static const bool done = (registerAssets(), true);
    (void)done;
}

QImage readAsset(const QString& path) {
    useAssets();
    const QString suffix = path.mid(path.lastIndexOf(QLatin1Char('.')) + 1);
    QImageReader reader(path, suffix.toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
} // namespace tavrino
