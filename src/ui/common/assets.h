#pragma once

namespace tavrino {
// Makes the pictures of assets/ available as ":/assets/..." (they live in a
// static library, whose resources are not registered by themselves).
void useAssets();
} // namespace tavrino
