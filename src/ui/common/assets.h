#pragma once

class QImage;
class QString;

namespace tavrino {
// Makes the pictures of assets/ available as ":/assets/..." (they live in a
// static library, whose resources are not registered by themselves).
void useAssets();

// One of our own pictures, read as the format its name ends in. QImage(path)
// would first load every image plugin installed to ask whether it reads that
// format (several shared libraries, on the start's path); ours are formats Qt
// reads itself. A null image when the picture can not be read.
QImage readAsset(const QString& path);
} // namespace tavrino
