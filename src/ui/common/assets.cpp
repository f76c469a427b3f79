#include "assets.h"

#include <QtGlobal>

static void registerAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace tavrino {
void useAssets() {
    static const bool done = (registerAssets(), true);
    (void)done;
}
} // namespace tavrino
