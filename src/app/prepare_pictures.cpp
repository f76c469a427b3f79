// Run while the program is built: works out the shaped pictures the window
// shows at every start (see-through pixels and mask) and writes them as C++
// source, so that the start uses them as they lie in the program instead of
// decoding and shaping them. The same code shapes them as at run time.
//
// Usage: tavrino-prepare-pictures OUTPUT.cpp
#include "ui/desktop/window_shape.h"
#include "ui/vault/vault_window.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

using namespace tavrino;

namespace {

struct Wanted {
    const char* name; // of the C++ arrays
    const char* path;
    QRgb key;
};

// Bytes as a string literal: compiled in a fraction of the time of a list of
// numbers. The literal's closing NUL is one byte beyond the pixels.
void writeBytes(QByteArray& out, const char* name, const uchar* bytes, qsizetype count) {
    out += "alignas(64) const unsigned char ";
    out += name;
    out += "[] =\n";
    for (qsizetype i = 0; i < count; i += 48) {
        out += '"';
        for (qsizetype j = i; j < count && j < i + 48; ++j) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", bytes[j]);
            out += hex;
        }
        out += "\"\n";
    }
    out += ";\n";
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavrino-prepare-pictures OUTPUT.cpp\n");
        return 2;
    }
    const Wanted wanted[] = {{"card", VaultWindow::CardPicture, VaultWindow::CardKey}};

    QByteArray out = "// Written by tavrino-prepare-pictures while the program was built.\n"
                     "#include \"ui/desktop/prepared_pictures.h\"\n\nnamespace {\n";
    QByteArray table;
    for (const Wanted& w : wanted) {
        const ShapedPicture shaped =
            WindowShape::decodeShapedPicture(QLatin1String(w.path), 1.0, w.key);
        const QImage pixels =
            shaped.seeThrough.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (pixels.isNull() || pixels.size() != shaped.size) {
            std::fprintf(stderr, "tavrino-prepare-pictures: can not read %s\n", w.path);
            return 1;
        }
        // Rows of 32-bit pixels follow each other without padding.
        writeBytes(out, QByteArray(w.name).append("Pixels").constData(), pixels.constBits(),
                   pixels.sizeInBytes());
        out += QByteArray("const int ") + w.name + "Rects[] = {\n";
        int rectCount = 0;
        for (const QRect& r : shaped.mask) {
            out += QByteArray::number(r.x()) + ',' + QByteArray::number(r.y()) + ',' +
                   QByteArray::number(r.width()) + ',' + QByteArray::number(r.height()) + ",\n";
            ++rectCount;
        }
        out += "};\n";
        table += QByteArray("    {\"") + w.path + "\", 0x" + QByteArray::number(w.key, 16) + "u, " +
                 QByteArray::number(pixels.width()) + ", " + QByteArray::number(pixels.height()) +
                 ", " + w.name + "Pixels, " + w.name + "Rects, " + QByteArray::number(rectCount) +
                 "},\n";
    }
    out += "const tavrino::PreparedPictures::Prepared pictures[] = {\n" + table + "};\n";
    out += "} // namespace\n\nvoid tavrino::PreparedPictures::addBuiltIn() {\n"
           "    add(pictures, int(sizeof pictures / sizeof pictures[0]));\n}\n";

    // Written whole or not at all: a half-written file must not be compiled.
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        std::fprintf(stderr, "tavrino-prepare-pictures: can not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
