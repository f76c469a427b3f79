#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

namespace tavrino::test {

// Writes small GIF files for tests: 2-bit colour, the pixels stored as LZW
// literals with a clear code after every two, so no compression is needed.
struct GifFrameSpec {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    QList<int> pixels;   // colour indexes, row by row
    bool control = true; // write a graphic control extension
    int delay = 10;
    int disposal = 0;
    bool transparent = false;
    int transparentIndex = 0;
    QByteArray localTable; // 4 colours (12 bytes) or empty
    bool interlace = false; // rows stored in the four passes of an interlaced image
};

// The rows of an interlaced image in the order they are stored: every 8th
// from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
inline QList<int> interlacedOrder(const QList<int>& pixels, int width, int height) {
    QList<int> out;
    for (const auto& [first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = first; y < height; y += step)
            out += pixels.mid(static_cast<qsizetype>(y) * width, width);
    return out;
}

inline QByteArray lzwLiterals(const QList<int>& pixels) {
    const int clear = 4;
    const int end = 5;
    QList<int> codes{clear};
    for (qsizetype i = 0; i < pixels.size(); ++i) {
        if (i > 0 && i % 2 == 0) codes.append(clear);
        codes.append(pixels[i]);
    }
    codes.append(end);
    QByteArray packed;
    quint32 buffer = 0;
    int bits = 0;
    for (int code : codes) {
        buffer |= static_cast<quint32>(code) << bits;
        bits += 3;
        while (bits >= 8) {
            packed.append(static_cast<char>(buffer & 0xFF));
            buffer >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) packed.append(static_cast<char>(buffer & 0xFF));
    QByteArray blocks;
    blocks.append(char(2)); // LZW minimum code size
    for (qsizetype i = 0; i < packed.size(); i += 255) {
        const QByteArray chunk = packed.mid(i, 255);
        blocks.append(static_cast<char>(chunk.size()));
        blocks.append(chunk);
    }
    blocks.append(char(0));
    return blocks;
}

inline void u16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

// globalTable: 4 colours, 12 bytes. version "87a" or "89a".
inline QByteArray makeGif(int width, int height, const QByteArray& globalTable,
                          const QList<GifFrameSpec>& frames, const char* version = "89a",
                          bool withComment = false) {
    QByteArray out("GIF");
    out.append(version);
    u16(out, width);
    u16(out, height);
    out.append(static_cast<char>(0x80 | 0x10 | 0x01)); // global table of 4 entries
    out.append(char(0));
    out.append(char(0));
    out.append(globalTable);
    // A looping application extension and a comment, as real files carry.
    out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    if (withComment) out.append("\x21\xFE\x05hello\x00", 9);
    for (const GifFrameSpec& f : frames) {
        if (f.control) {
            out.append("\x21\xF9\x04", 3);
            out.append(static_cast<char>((f.disposal << 2) | (f.transparent ? 1 : 0)));
            u16(out, f.delay);
            out.append(static_cast<char>(f.transparentIndex));
            out.append(char(0));
        }
        out.append(char(0x2C));
        u16(out, f.left);
        u16(out, f.top);
        u16(out, f.width);
        u16(out, f.height);
        out.append(static_cast<char>((f.localTable.isEmpty() ? 0 : 0x81) | (f.interlace ? 0x40 : 0)));
        out.append(f.localTable);
        out.append(lzwLiterals(f.interlace ? interlacedOrder(f.pixels, f.width, f.height) : f.pixels));
    }
    out.append(char(0x3B));
    return out;
}

} // namespace tavrino::test
