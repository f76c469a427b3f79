#include "gif_writer.h"
#include "support/test_support.h"
#include "ui/desktop/animated_gif.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

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

TEST(GifParser, SharedTransparentColourIsMadeUniqueInThatFrameOnly) {
    // Index 0 and 3 are both white; index 0 is transparent in the first frame.
    const QByteArray table("\xFF\xFF\xFF\x10\x20\x30\x00\x00\x70\xFF\xFF\xFF", 12);
    GifFrameSpec f = solid(1);
    f.transparent = true;
    f.transparentIndex = 0;
    GifFile gif;
    ASSERT_EQ(parseGif(makeGif(4, 2, table, {f, solid(0)}), true, gif), GifParse::Ok);
    // Values 0xFFFFFF, 0x302010, 0x700000, 0xFFFFFF: the second white ties the largest and so
    // becomes the second-largest; half of 0xFFFFFF rounds (to even) to 0x800000: blue 0x80.
    EXPECT_EQ(gif.frames[0].ownTable.mid(0, 3), QByteArray("\x00\x00\x80", 3));
    EXPECT_EQ(singleFrameFile(gif, 0).mid(13, 3), QByteArray("\x00\x00\x80", 3))
        << "the frame's own file carries the new colour";
    EXPECT_EQ(gif.globalTable, table) << "the shared table keeps its colours";
    EXPECT_EQ(singleFrameFile(gif, 1).mid(13, 12), table) << "so the other frame's white stays";

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

TEST(AnimatedGif, DisposalsActAfterTheirFrameAndTransparentPixelsKeepWhatIsBeneath) {
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
    EXPECT_EQ(g.pixel(3, 1), 0xFF0000u) << "frame 1's disposal 3 brought frame 0 back";
    g.control.paintFrame(0);
    EXPECT_EQ(g.pixel(3, 1), 0xFF0000u) << "the loop starts again on the background";
    EXPECT_EQ(g.pixel(0, 0), 0xFF0000u);
}

// Frame by frame as ImageMagick's "convert -coalesce" composes them (every
// disposal method, transparency, local colour tables, interlacing, frames
// smaller than the screen): pixel for pixel, on the control's background.
TEST(AnimatedGif, PlaysEveryFrameAsViewersDo) {
    if (QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    // Black, red, green, blue; a local table of magenta, yellow, cyan, white.
    const QByteArray local("\xFF\x00\xFF\xFF\xFF\x00\x00\xFF\xFF\xFF\xFF\xFF", 12);
    auto frame = [](int left, int top, int w, int h, int disposal, QList<int> pixels) {
        GifFrameSpec f;
        f.left = left;
        f.top = top;
        f.width = w;
        f.height = h;
        f.disposal = disposal;
        f.pixels = std::move(pixels);
        return f;
    };
    QList<int> stripes;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 6; ++x)
            stripes << (y % 4);
    struct Case {
        const char* name;
        QList<GifFrameSpec> frames;
    };
    QList<Case> cases;
    {
        GifFrameSpec holey = frame(1, 1, 3, 2, 1, {2, 0, 2, 0, 2, 0});
        holey.transparent = true;
        cases.append({"keep", {frame(0, 0, 6, 4, 1, QList<int>(24, 1)), holey,
                               frame(4, 2, 2, 2, 0, {3, 3, 3, 3})}});
    }
    cases.append({"background", {frame(0, 0, 6, 4, 1, QList<int>(24, 1)),
                                 frame(2, 1, 2, 2, 2, {3, 3, 3, 3}),
                                 frame(0, 3, 2, 1, 0, {2, 2})}});
    cases.append({"previous", {frame(0, 0, 6, 4, 1, QList<int>(24, 2)),
                               frame(1, 1, 4, 2, 3, QList<int>(8, 3)),
                               frame(5, 0, 1, 1, 3, {1}), frame(0, 0, 1, 4, 1, {0, 0, 0, 0})}});
    {
        GifFrameSpec first = frame(0, 0, 6, 4, 3, QList<int>(24, 1)); // 3 on the first frame
        GifFrameSpec painted = frame(0, 0, 6, 4, 0, QList<int>(24, 3));
        painted.localTable = local;
        painted.pixels[5] = 0; // magenta, from the local table, no transparency anywhere
        GifFrameSpec seeThrough = frame(0, 0, 6, 4, 1, QList<int>(24, 0));
        seeThrough.transparent = true;
        seeThrough.pixels[7] = 1;
        cases.append({"local-tables", {first, painted, seeThrough}});
    }
    {
        GifFrameSpec inter = frame(0, 0, 6, 10, 1, stripes);
        inter.interlace = true;
        GifFrameSpec overlay = frame(1, 3, 3, 5, 2, QList<int>(15, 0));
        overlay.interlace = true;
        overlay.transparent = true;
        overlay.transparentIndex = 3;
        for (int i = 0; i < 15; i += 2)
            overlay.pixels[i] = 3; // every other pixel see-through
        cases.append({"interlaced", {inter, overlay, frame(0, 0, 1, 1, 0, {1})}});
    }

    const QColor back(10, 20, 30);
    for (const Case& c : cases) {
        GifFixture g;
        g.control.setBackColor(back);
        const int height = c.frames.first().height;
        const QString path = g.write(makeGif(6, height, Table, c.frames), QStringLiteral("%1.gif").arg(QLatin1String(c.name)));
        QProcess convert;
        convert.start(QStringLiteral("convert"),
                      {path, QStringLiteral("-coalesce"),
                       QStringLiteral("PNG32:") + g.dir.filePath(QStringLiteral("frame-%d.png"))});
        ASSERT_TRUE(convert.waitForFinished(30000));
        ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
        g.load(path);
        for (int k = 0; k < c.frames.size(); ++k) {
            g.control.paintFrame(k);
            const QImage expected(g.dir.filePath(QStringLiteral("frame-%1.png").arg(k)));
            ASSERT_EQ(expected.size(), QSize(6, height)) << c.name;
            int wrong = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < 6; ++x) {
                    const QRgb e = expected.pixel(x, y);
                    const QRgb want = qAlpha(e) == 0 ? back.rgb() & 0xFFFFFF : e & 0xFFFFFF;
                    if (g.pixel(x, y) != want && wrong++ < 3)
                        ADD_FAILURE() << c.name << " frame " << k << " at " << x << "," << y
                                      << ": " << std::hex << g.pixel(x, y) << " not " << want;
                }
            EXPECT_EQ(wrong, 0) << c.name << " frame " << k;
        }
    }
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
