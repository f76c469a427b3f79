#include "gif_writer.h"
#include "support/test_support.h"
#include "ui/desktop/animated_gif.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace tavrino;
using namespace tavrino::test;

namespace {

// Black, red, green, blue.
const QByteArray Table("\x00\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 12);

GifFrameSpec solid(int color, int delay = 10, int disposal = 0) {
    GifFrameSpec f;
    f.width = 4;
    f.height = 2;
    f.pixels = QList<int>(8, color);
    f.delay = delay;
    f.disposal = disposal;
    return f;
}

struct GifFixture {
    QTemporaryDir dir;
    ScriptedMessages messages;
    AnimatedGif control{messages};
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("anim.gif")) {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }
    void load(const QString& path) {
        control.setFileName(path);
        control.loadGif(true);
    }
    QRgb pixel(int x, int y) const { return control.backBuffer().pixel(x, y) & 0xFFFFFF; }
};

TEST(GifParser, FramesTimingAndPositions) {
    GifFrameSpec moved = solid(2, 600, 2);
    moved.left = 2;
    moved.top = 1;
    moved.width = 2;
    moved.height = 1;
    moved.pixels = {2, 2};
    const QByteArray bytes = makeGif(4, 2, Table, {solid(1, 5), moved, solid(3, 0)}, "89a", true);
    GifFile gif;
    ASSERT_EQ(parseGif(bytes, true, gif), GifParse::Ok);
    ASSERT_EQ(gif.frames.size(), 3);
    EXPECT_EQ(gif.width, 4);
    EXPECT_EQ(gif.globalTable, Table);
    EXPECT_EQ(gif.frames[0].delay, 5);
    EXPECT_EQ(gif.frames[1].delay, 600);
    EXPECT_EQ(gif.frames[1].disposal, 2);
    EXPECT_EQ(gif.frames[1].left, 2);
    EXPECT_EQ(gif.frames[1].top, 1);
    EXPECT_EQ(gif.frames[2].lzwMinimumCodeSize, 2);
    EXPECT_EQ(bytes.at(gif.frames[0].end - 1), '\0') << "frame end is the terminator";
    EXPECT_EQ(bytes.at(gif.frames[0].start - 1), '\x21')
        << "a frame starts with its graphic control";
    const QByteArray single = singleFrameFile(gif, 1);
    EXPECT_TRUE(single.endsWith(QByteArray("\x00\x21\xF9\x3B", 4)));
}

TEST(GifParser, RefusalsAndEmptyFiles) {
    GifFile gif;
    EXPECT_EQ(parseGif(QByteArray(), true, gif), GifParse::Empty);
    EXPECT_EQ(parseGif(QByteArray("\x89PNG\r\n\x1a\n", 8), true, gif), GifParse::NotGif);
    QByteArray headerOnly = makeGif(4, 2, Table, {});
    ASSERT_EQ(parseGif(headerOnly, true, gif), GifParse::Ok);
    EXPECT_TRUE(gif.frames.isEmpty());
    const QByteArray old = makeGif(4, 2, Table, {solid(1)}, "87a");
    ASSERT_EQ(parseGif(old, true, gif), GifParse::Ok);
    EXPECT_EQ(gif.frames.size(), 1) << "87a passes the signature test";
}

TEST(GifParser, SharedTransparentColourIsMadeUnique) {
    // Index 0 and 3 are both white; index 0 is transparent.
    const QByteArray table("\xFF\xFF\xFF\x10\x20\x30\x00\x00\x70\xFF\xFF\xFF", 12);
    GifFrameSpec f = solid(1);
    f.transparent = true;
    f.transparentIndex = 0;
    GifFile gif;
    ASSERT_EQ(parseGif(makeGif(4, 2, table, {f}), true, gif), GifParse::Ok);
    // Values 0xFFFFFF, 0x302010, 0x700000, 0xFFFFFF: the second white ties the largest and so
    // becomes the second-largest; half of 0xFFFFFF rounds (to even) to 0x800000: blue 0x80.
    EXPECT_EQ(gif.globalTable.mid(0, 3), QByteArray("\x00\x00\x80", 3));
    EXPECT_EQ(gif.bytes.mid(13, 3), QByteArray("\x00\x00\x80", 3))
        << "the file carries the new colour";

    GifFile untouched;
    parseGif(makeGif(4, 2, table, {f}), false, untouched);
    EXPECT_EQ(untouched.globalTable, table);
}

TEST(AnimatedGif, LoadsEveryFrameThroughTemporaryFilesAndRemovesThem) {
    GifFixture g;
    g.load(g.write(makeGif(4, 2, Table, {solid(1), solid(2), solid(3)})));
    EXPECT_EQ(g.control.numberOfFrames(), 2);
    ASSERT_EQ(g.control.framePictures().size(), 3);
    for (const QImage& picture : g.control.framePictures())
        EXPECT_FALSE(picture.isNull());
    const QStringList temporaries = g.control.lastTemporaryFiles();
    ASSERT_EQ(temporaries.size(), 3);
    EXPECT_TRUE(QFileInfo(temporaries[2]).fileName().startsWith(QStringLiteral("2")));
    for (const QString& t : temporaries) {
        EXPECT_TRUE(t.endsWith(QStringLiteral(".GIF")));
        EXPECT_FALSE(QFile::exists(t)) << "removed after decoding";
    }
    EXPECT_EQ(g.control.backBuffer().width(), 32) << "width rounded up to 32";
    EXPECT_EQ(g.pixel(0, 0), 0xFF0000u) << "frame 0 painted at load";
    EXPECT_EQ(g.control.userDelay(), 1);
    EXPECT_EQ(g.control.size(), QSize(4, 2));
}

TEST(AnimatedGif, TimerWalksTheFramesWithTheirDelays) {
    GifFixture g;
    GifFrameSpec noControl = solid(3);
    noControl.control = false;
    g.load(g.write(makeGif(4, 2, Table, {solid(1, 7), solid(2, 600), noControl})));
    g.control.startAnimation();
    EXPECT_EQ(g.control.timerInterval(), 250);
    g.control.onTimerTick(); // paints 0, next 1 (delay 600)
    EXPECT_EQ(g.control.currentFrame(), 1);
    EXPECT_EQ(g.control.timerInterval(), 1 + 100);
    g.control.onTimerTick(); // paints 1, next 2 (no control: delay 0)
    EXPECT_EQ(g.pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(g.control.timerInterval(), 1);
    g.control.onTimerTick(); // paints 2, next 0 (delay 7)
    EXPECT_EQ(g.control.currentFrame(), 0);
    EXPECT_EQ(g.control.timerInterval(), 7 * 10 + 1);
    g.control.stopGif();
    EXPECT_FALSE(g.control.timerRunning());
    const QRgb before = g.pixel(0, 0);
    g.control.onTimerTick();
    EXPECT_EQ(g.pixel(0, 0), before) << "stopped: ticks do nothing";
}

TEST(AnimatedGif, DisposalTwoClearsAndTransparentPixelsKeepTheBackground) {
    GifFixture g;
    g.control.setBackColor(QColor(10, 20, 30));
    GifFrameSpec hole = solid(3, 10, 3);
    hole.pixels = {3, 0, 3, 3, 3, 3, 3, 3};
    hole.transparent = true;
    hole.transparentIndex = 0;
    GifFrameSpec small = solid(2, 10, 2);
    small.width = 1;
    small.height = 1;
    small.pixels = {2};
    g.load(g.write(makeGif(4, 2, Table, {solid(1), hole, small})));
    g.control.paintFrame(1);
    EXPECT_EQ(g.pixel(1, 0), 0xFF0000u) << "the transparent pixel shows frame 0 beneath";
    EXPECT_EQ(g.pixel(0, 0), 0x0000FFu);
    g.control.paintFrame(2);
    EXPECT_EQ(g.pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(g.pixel(3, 1), QColor(10, 20, 30).rgb() & 0xFFFFFF)
        << "disposal 2 cleared the rest first";
}

TEST(AnimatedGif, Messages) {
    GifFixture g;
    g.control.paintFrame(0);
    g.control.startAnimation();
    EXPECT_EQ(g.messages.texts(),
              QStringList(
                  2, QStringLiteral("Sorry, you must first select an Animated Gif file to Load")));
    g.messages.shown.clear();
    g.load(g.write("not a picture", QStringLiteral("x.gif")));
    ASSERT_EQ(g.messages.shown.size(), 1);
    EXPECT_EQ(g.messages.shown[0].text, QStringLiteral("Sorry, not an Animated Gif file"));
    EXPECT_EQ(g.messages.shown[0].title, QStringLiteral("Not a Valid Animated Gif File!"));
    EXPECT_TRUE(g.control.fileName().isEmpty());
    g.messages.shown.clear();
    g.load(g.write(QByteArray(), QStringLiteral("empty.gif")));
    EXPECT_TRUE(g.messages.shown.isEmpty()) << "an empty file loads nothing, quietly";
    g.load(g.write(makeGif(4, 2, Table, {}), QStringLiteral("header.gif")));
    EXPECT_EQ(g.control.numberOfFrames(), -1);
    g.control.startAnimation();
    EXPECT_FALSE(g.control.timerRunning()) << "nothing to play";
}

TEST(AnimatedGif, SavedPropertiesLoadTheFileOnTheNextRepaint) {
    GifFixture g;
    const QString path = g.write(makeGif(4, 2, Table, {solid(1)}));
    AnimatedGif other(g.messages);
    other.readProperties(
        {{QStringLiteral("strGifFileName"), path}, {QStringLiteral("BorderStyle"), 1}});
    EXPECT_TRUE(other.displaySavedFileName());
    EXPECT_EQ(other.borderStyle(), 1);
    other.refresh();
    EXPECT_FALSE(other.displaySavedFileName());
    EXPECT_EQ(other.numberOfFrames(), 0);
    EXPECT_EQ(other.writeProperties().value(QStringLiteral("strGifFileName")).toString(), path);
    g.control.setUserDelay(5000);
    EXPECT_EQ(g.control.userDelay(), 1000);
}

} // namespace
