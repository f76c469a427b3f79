#pragma once

#include <QByteArray>
#include <QList>

namespace tavrino {

// One frame of an animated GIF, with positions into the file (1-based, as
// the file is read: byte 1 is the "G" of "GIF8").
struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool localTableFlag = false;
    bool interlace = false;
    bool sort = false;
    int localTableSize = 0;
    QByteArray localTable;
    int lzwMinimumCodeSize = 0;
    quint16 delay = 0; // hundredths of a second
    int transparentIndex = 0;
    int disposal = 0;
    bool userInput = false;
    bool transparent = false;
    QByteArray ownTable; // the frame's table with its transparent colour made unique, if it had to be
    qsizetype start = 0; // first block of the frame (its extensions included)
    qsizetype imageStart = 0; // its image descriptor (the 0x2C)
    qsizetype end = 0;   // the terminator of its image data
};

struct GifFile {
    QByteArray bytes; // the source, as read
    int width = 0;
    int height = 0;
    bool globalTableFlag = false;
    int colorResolution = 0;
    bool sort = false;
    int globalTableSize = 0;
    int backgroundIndex = 0;
    int aspect = 0;
    QByteArray globalTable;
    QList<GifFrame> frames;
};

enum class GifParse { Ok, Empty, NotGif };

// Splits a GIF file into its frames. With changeTransparentColor, a frame's
// transparent colour that also stands at another index of its table is
// replaced by a colour of its own in that frame's copy of the table (its
// one-frame file carries it; the other frames' colours stay).
GifParse parseGif(const QByteArray& bytes, bool changeTransparentColor, GifFile& out);

// A one-frame GIF file: the header, screen descriptor and global table, the
// frame's blocks, and a closing 00 21 F9 3B.
QByteArray singleFrameFile(const GifFile& gif, qsizetype frame);

} // namespace tavrino
