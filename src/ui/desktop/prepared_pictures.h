#pragma once

#include "ui/desktop/window_shape.h"

#include <QRgb>

#include <optional>

namespace tavrino::PreparedPictures {

// A shaped picture worked out when the program was built (by
// tavrino-prepare-pictures, from the same picture file): its pixels already
// see-through (premultiplied ARGB32, width * 4 bytes a row) and its mask as
// rectangles (x, y, width, height). Decoding the card's picture and making it
// see-through took a few milliseconds of every start; these are used as they
// lie in the program's own read-only data.
struct Prepared {
    const char* path;
    QRgb key;
    int width;
    int height;
    const uchar* pixels;
    const int* rects;
    int rectCount;
};

// Makes these pictures known (the program does this first thing; a program
// that does not simply decodes them when asked). They must outlive the program.
void add(const Prepared* pictures, int count);
// The prepared picture for this path and key at this density, if there is one.
std::optional<ShapedPicture> find(const QString& path, qreal density, QRgb key);

// Defined in the code tavrino-prepare-pictures writes: adds its pictures.
void addBuiltIn();

} // namespace tavrino::PreparedPictures
