#include "gif_parser.h"

#include <cmath>

namespace tavrino {
namespace {

// Byte access by 1-based position; past either end reads as 0.
struct Bytes {
    const QByteArray& data;
    int at(qsizetype p) const {
        return p >= 1 && p <= data.size() ? static_cast<unsigned char>(data[p - 1]) : 0;
    }
    int u16(qsizetype p) const { return at(p) | at(p + 1) << 8; }
    qsizetype length() const { return data.size(); }
};

// Skips data sub-blocks: while the byte after p is not 0, jump over the block it sizes.
qsizetype skipSubBlocks(const Bytes& b, qsizetype p) {
    while (b.at(p + 1) != 0)
        p = p + b.at(p + 1) + 1;
    return p;
}

// The extension at p (p is its 0x21); returns where the scan goes on.
qsizetype extension(const Bytes& b, qsizetype p, GifFrame& frame) {
    switch (b.at(p + 1)) {
    case 0xFF: // application
        return skipSubBlocks(b, (p + 14) + b.at(p + 14));
    case 0xFE: // comment
        return skipSubBlocks(b, (p + 2) + b.at(p + 2)) + 1;
    case 0xF9: { // graphic control
        const int packed = b.at(p + 3);
        frame.delay = static_cast<quint16>(b.u16(p + 4));
        frame.transparentIndex = b.at(p + 6);
        frame.disposal = (packed / 4) & 7;
        frame.userInput = packed & 0x02;
        frame.transparent = packed & 0x01;
        return p + 7;
    }
    case 0x01: // plain text
        return skipSubBlocks(b, (p + 15) + b.at(p + 15));
    default:
        return p;
    }
}

// Gives the frame a colour table of its own in which its transparent colour
// stands at no other index (so a decoder keying on the colour can not mistake
// a drawn pixel for a see-through one). The file's shared table is left as
// it is: other frames keep their colours.
void makeTransparentColorUnique(const GifFile& gif, GifFrame& frame) {
    QByteArray table = frame.localTableFlag ? frame.localTable : gif.globalTable;
    const qsizetype entries = table.size() / 3;
    const int t = frame.transparentIndex;
    if (t >= entries) return;
    auto value = [&](qsizetype i) {
        return static_cast<unsigned char>(table[3 * i]) +
               256 * static_cast<unsigned char>(table[3 * i + 1]) +
               65536 * static_cast<unsigned char>(table[3 * i + 2]);
    };
    const int key = value(t);
    bool shared = false;
    for (qsizetype i = 0; i < entries && !shared; ++i)
        shared = i != t && value(i) == key;
    if (!shared) return;
    int largest = 0;
    int second = 0;
    for (qsizetype i = 0; i < entries; ++i) {
        const int x = value(i);
        if (x > largest) {
            second = largest;
            largest = x;
        } else if (x > second) {
            second = x;
        }
    }
    const int color = static_cast<int>(std::nearbyint(second / 2.0));
    for (int c = 0; c < 3; ++c)
        table[3 * t + c] = static_cast<char>((color >> (8 * c)) & 0xFF);
    frame.ownTable = table;
}

} // namespace

GifParse parseGif(const QByteArray& bytes, bool changeTransparentColor, GifFile& out) {
    out = GifFile{};
    if (bytes.isEmpty()) return GifParse::Empty;
    if (!bytes.startsWith("GIF8")) return GifParse::NotGif;
    out.bytes = bytes;
    const Bytes b{out.bytes};
    const qsizetype length = b.length();
    out.width = b.u16(7);
    out.height = b.u16(9);
    const int packed = b.at(11);
    out.globalTableFlag = packed & 0x80;
    out.colorResolution = (packed >> 4) & 0x07;
    out.sort = packed & 0x08;
    out.globalTableSize = packed & 0x07;
    out.backgroundIndex = b.at(12);
    out.aspect = b.at(13);
    qsizetype p = 14;
    if (out.globalTableFlag) {
        const qsizetype size = 3 * (qsizetype(1) << (out.globalTableSize + 1));
        out.globalTable = out.bytes.mid(13, size);
        p = 14 + size;
    }

    while (p <= length) {
        GifFrame frame;
        frame.start = p;
        bool ended = false;
        for (;;) {
            if (b.at(p) == 0x2C) break;
            if (b.at(p) == 0x21) p = extension(b, p, frame);
            ++p;
            if (b.at(p) == 0x3B || p >= length) {
                ended = true;
                break;
            }
        }
        if (ended) break; // no image in this entry: it does not count
        frame.imageStart = p;
        frame.left = b.u16(p + 1);
        frame.top = b.u16(p + 3);
        frame.width = b.u16(p + 5);
        frame.height = b.u16(p + 7);
        const int flags = b.at(p + 9);
        frame.localTableFlag = flags & 0x80;
        frame.interlace = flags & 0x40;
        frame.sort = flags & 0x20;
        frame.localTableSize = flags & 0x07;
        qsizetype q = p;
        if (frame.localTableFlag) {
            const qsizetype size = 3 * (qsizetype(1) << (frame.localTableSize + 1));
            frame.localTable = out.bytes.mid(p + 9, size);
            q = p + size;
        }
        frame.lzwMinimumCodeSize = b.at(q + 10);
        const qsizetype r = skipSubBlocks(b, q + 10);
        frame.end = r + 1;
        if (changeTransparentColor && frame.transparent) makeTransparentColorUnique(out, frame);
        out.frames.append(frame);
        p = frame.end + 1;
        if (b.at(p) == 0x3B) break;
    }
    return GifParse::Ok;
}

QByteArray singleFrameFile(const GifFile& gif, qsizetype k) {
    const GifFrame& frame = gif.frames.at(k);
    const qsizetype headerEnd = gif.frames.first().start - 1;
    QByteArray header = gif.bytes.left(headerEnd);
    QByteArray blocks = gif.bytes.mid(frame.start - 1, frame.end - frame.start);
    if (!frame.ownTable.isEmpty()) {
        if (frame.localTableFlag) {
            // The local table follows the image descriptor's 10 bytes.
            const qsizetype descriptor = frame.imageStart - frame.start;
            blocks.replace(descriptor + 10, frame.ownTable.size(), frame.ownTable);
        } else {
            header.replace(13, frame.ownTable.size(), frame.ownTable);
        }
    }
    return header + blocks + QByteArray("\x00\x21\xF9\x3B", 4);
}

} // namespace tavrino
