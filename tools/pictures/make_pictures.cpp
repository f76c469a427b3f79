#include <algorithm>
// The source of every picture in assets/: run tools/make-pictures.sh after a
// change here and commit what it writes.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {

const QColor Navy(0x14, 0x21, 0x3d);
const QColor NavyLight(0x2e, 0x45, 0x70);
const QColor Steel(0xa9, 0xbb, 0xdc);
const QColor Panel(0xf2, 0xf4, 0xfa);
const QColor Ink(0xe3, 0xea, 0xf7);

// 1 for the pictures of ordinary screens, 2 for their NAME@2x.png twins: the
// same drawing in logical pixels, painted at twice the density.
int g_scale = 1;

QImage canvas(int w, int h) {
    QImage img(w * g_scale, h * g_scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(g_scale);
    img.fill(Qt::transparent);
    return img;
}

// A light rim around what is drawn, so a dark line picture stays visible
// on a dark toolbar as well as on a light one.
QImage withHalo(const QImage& art) {
    const QImage src = art.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.setDevicePixelRatio(art.devicePixelRatio());
    const int r = g_scale;
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            int rim = 0;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx >= 0 && sy >= 0 && sx < src.width() && sy < src.height())
                        rim = std::max(rim, qAlpha(src.pixel(sx, sy)));
                }
            rim = rim * 220 / 255;
            // the art over a white rim of that strength
            const QRgb a = src.pixel(x, y);
            const int fa = qAlpha(a);
            const int outA = fa + rim * (255 - fa) / 255;
            auto mix = [&](int c) {
                return outA == 0 ? 0 : (c * fa + 255 * rim * (255 - fa) / 255) / outA;
            };
            out.setPixel(x, y, qRgba(mix(qRed(a)), mix(qGreen(a)), mix(qBlue(a)), outA));
        }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Anti-aliased art on a see-through canvas becomes a picture whose outside
// is exactly one colour: no half-blended fringe survives the cut.
QImage cutOut(const QImage& art, QColor outside) {
    QImage out(art.size(), QImage::Format_RGB32);
    out.setDevicePixelRatio(art.devicePixelRatio());
    const QImage src = art.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const QRgb p = src.pixel(x, y);
            out.setPixel(x, y,
                         qAlpha(p) < 128 ? outside.rgb() : qRgb(qRed(p), qGreen(p), qBlue(p)));
        }
    return out;
}

void save(const QImage& img, const QString& folder, const char* name) {
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    if (!img.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QImage vaultBackground() {
    QImage img = canvas(360, 446);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath body;
    body.addRoundedRect(QRectF(12, 4, 334, 438), 34, 34);
    QPainterPath hinges;
    hinges.addRoundedRect(QRectF(2, 84, 18, 56), 7, 7);
    hinges.addRoundedRect(QRectF(2, 306, 18, 56), 7, 7);
    QPainterPath dial;
    dial.addEllipse(QPointF(340, 223), 17, 17);

    // Hinges behind the door.
    QLinearGradient hingeFill(0, 0, 20, 0);
    hingeFill.setColorAt(0, QColor(0x6d, 0x7f, 0xa3));
    hingeFill.setColorAt(1, Steel);
    p.setPen(QPen(QColor(0x3a, 0x4a, 0x6a), 1.5));
    p.setBrush(hingeFill);
    p.drawPath(hinges);

    QLinearGradient fill(0, 0, 0, 446);
    fill.setColorAt(0, NavyLight);
    fill.setColorAt(1, Navy);
    p.setPen(QPen(Steel, 3));
    p.setBrush(fill);
    p.drawPath(body);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(17, 9, 324, 428), 30, 30);

    // Combination dial on the right edge.
    QRadialGradient dialFill(QPointF(336, 218), 20);
    dialFill.setColorAt(0, QColor(0xe8, 0xee, 0xf8));
    dialFill.setColorAt(1, QColor(0x7c, 0x8f, 0xb5));
    p.setPen(QPen(QColor(0x3a, 0x4a, 0x6a), 1.5));
    p.setBrush(dialFill);
    p.drawPath(dial);
    p.setPen(QPen(QColor(0x2b, 0x38, 0x55), 1.2));
    for (int i = 0; i < 12; ++i) {
        p.save();
        p.translate(340, 223);
        p.rotate(i * 30);
        p.drawLine(QPointF(0, -14), QPointF(0, i % 3 == 0 ? -9 : -11.5));
        p.restore();
    }

    // The light panel the working areas sit on.
    p.setPen(QPen(QColor(0xc5, 0xce, 0xe0), 1));
    p.setBrush(Panel);
    p.drawRoundedRect(QRectF(40.5, 46.5, 283, 371), 12, 12);

    // Name plate in the header.
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(15);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(title);
    p.setPen(Ink);
    p.drawText(QRectF(60, 10, 220, 30), Qt::AlignCenter, QStringLiteral("TAVRINO"));
    p.setPen(QPen(Steel, 1));
    p.drawLine(QPointF(100, 38), QPointF(260, 38));
    p.end();
    return cutOut(img, QColor(255, 0, 255));
}

QImage headerIcon(void (*draw)(QPainter&)) {
    QImage img = canvas(24, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return img;
}

void drawLock(QPainter& p) {
    p.setPen(QPen(Ink, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 3, 10, 12), 0, 180 * 16);
    p.drawLine(QPointF(7, 9), QPointF(7, 11));
    p.drawLine(QPointF(17, 9), QPointF(17, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xc6, 0x4a));
    p.drawRoundedRect(QRectF(4, 10, 16, 12), 3, 3);
    p.setBrush(Navy);
    p.drawEllipse(QPointF(12, 15), 2, 2);
    p.drawRect(QRectF(11.2, 15, 1.6, 4));
}

void drawRoundIcon(QPainter& p, QColor ring) {
    p.setPen(QPen(ring, 1.6));
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawEllipse(QRectF(2, 2, 20, 20));
}

void drawHide(QPainter& p) {
    drawRoundIcon(p, Ink);
    p.setPen(QPen(Ink, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7.5, 15), QPointF(16.5, 15));
}

void drawClose(QPainter& p) {
    const QColor red(0xf2, 0x6d, 0x6d);
    drawRoundIcon(p, red);
    p.setPen(QPen(red, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(16, 16));
    p.drawLine(QPointF(16, 8), QPointF(8, 16));
}

// The flat buttons' pointer: a pointing key, hot spot (10, 8) at its tip.
QImage buttonCursor() {
    QImage img = canvas(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(10, 8);
    arrow.lineTo(10, 26);
    arrow.lineTo(14.5, 21.5);
    arrow.lineTo(18, 29);
    arrow.lineTo(21, 27.5);
    arrow.lineTo(17.5, 20.5);
    arrow.lineTo(23.5, 20.5);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(0xf0, 0xc6, 0x4a));
    p.drawPath(arrow);
    return img;
}

QImage appIcon(int size) {
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient fill(0, 0, 0, 64);
    fill.setColorAt(0, NavyLight);
    fill.setColorAt(1, Navy);
    p.setPen(QPen(Steel, 2));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
    QRadialGradient door(QPointF(29, 29), 22);
    door.setColorAt(0, QColor(0xf4, 0xf7, 0xfc));
    door.setColorAt(1, QColor(0x8a, 0x9c, 0xc0));
    p.setPen(QPen(QColor(0x2b, 0x38, 0x55), 1.5));
    p.setBrush(door);
    p.drawEllipse(QPointF(32, 32), 19, 19);
    p.setPen(Qt::NoPen);
    p.setBrush(Navy);
    p.drawEllipse(QPointF(32, 28), 5, 5);
    QPainterPath slot;
    slot.moveTo(29.5, 30);
    slot.lineTo(34.5, 30);
    slot.lineTo(36, 42);
    slot.lineTo(28, 42);
    slot.closeSubpath();
    p.drawPath(slot);
    return img;
}

QImage popupBackground() {
    QImage img = canvas(225, 143);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(2, 6, 221, 135), 16, 16);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(150, 1, 73, 30), 10, 10);
    QLinearGradient fill(0, 0, 0, 143);
    fill.setColorAt(0, NavyLight);
    fill.setColorAt(1, Navy);
    p.setPen(QPen(Steel, 2));
    p.setBrush(fill);
    p.drawPath(card.united(tab));
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.drawLine(QPointF(10, 104), QPointF(215, 104));
    p.end();
    return cutOut(img, QColor(0, 0, 255));
}

void drawCopyFace(QPainter& p, QColor paper) {
    p.setPen(QPen(Navy, 1.2));
    p.setBrush(paper.darker(115));
    p.drawRoundedRect(QRectF(3.5, 2.5, 11, 14), 2, 2);
    p.setBrush(paper);
    p.drawRoundedRect(QRectF(8.5, 7.5, 11, 14), 2, 2);
    p.setPen(QPen(Navy, 1));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(11, 12 + 3 * i), QPointF(17, 12 + 3 * i));
}

void drawCopy(QPainter& p) {
    drawCopyFace(p, Ink);
}
void drawCopyHover(QPainter& p) {
    drawCopyFace(p, QColor(0xf5, 0xf5, 0x5a));
}

void drawCloseHover(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0x6d, 0x6d));
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(16, 16));
    p.drawLine(QPointF(16, 8), QPointF(8, 16));
}

// Shown after a copy: a tick, hot spot (15, 14) at its centre.
QImage copiedCursor() {
    QImage img = canvas(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(QColor(0x5c, 0xc8, 0x6a));
    p.drawEllipse(QPointF(15, 14), 10, 10);
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(10, 14.5), QPointF(13.5, 18), QPointF(20, 10.5)}));
    return img;
}

// The setup window's toolbar: navy line pictures on a see-through ground.
QImage toolIcon(void (*draw)(QPainter&)) {
    QImage img = canvas(24, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Navy, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    draw(p);
    p.end();
    return withHalo(img);
}

void toolNew(QPainter& p) {
    p.drawRoundedRect(QRectF(4, 3, 13, 17), 2, 2);
    p.setPen(QPen(QColor(0x2e, 0x9e, 0x4f), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17, 12), QPointF(17, 22));
    p.drawLine(QPointF(12, 17), QPointF(22, 17));
}
void toolDelete(QPainter& p) {
    p.drawLine(QPointF(5, 6), QPointF(19, 6));
    p.drawLine(QPointF(10, 6), QPointF(10, 3.5));
    p.drawLine(QPointF(10, 3.5), QPointF(14, 3.5));
    p.drawLine(QPointF(14, 3.5), QPointF(14, 6));
    p.drawRoundedRect(QRectF(6.5, 8, 11, 13), 2, 2);
    p.drawLine(QPointF(10, 11), QPointF(10, 18));
    p.drawLine(QPointF(14, 11), QPointF(14, 18));
}
void toolSave(QPainter& p) {
    p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
    p.drawRect(QRectF(8, 4, 8, 5));
    p.drawRect(QRectF(7, 13, 10, 7));
}
void toolCancel(QPainter& p) {
    p.drawArc(QRectF(5, 6, 14, 13), 90 * 16, -250 * 16);
    p.drawLine(QPointF(12, 6), QPointF(8, 3));
    p.drawLine(QPointF(12, 6), QPointF(8.5, 9.5));
}
void toolOptions(QPainter& p) {
    p.drawEllipse(QRectF(3, 3, 9, 9));
    p.drawLine(QPointF(10.5, 10.5), QPointF(20, 20));
    p.drawLine(QPointF(16, 16), QPointF(18.5, 13.5));
    p.drawLine(QPointF(18.5, 18.5), QPointF(21, 16));
}
void toolCategory(QPainter& p) {
    QPainterPath folder;
    folder.moveTo(3, 7);
    folder.lineTo(9, 7);
    folder.lineTo(11, 9);
    folder.lineTo(21, 9);
    folder.lineTo(21, 19);
    folder.lineTo(3, 19);
    folder.closeSubpath();
    p.setBrush(QColor(0xf0, 0xc6, 0x4a));
    p.drawPath(folder);
}
void toolAbout(QPainter& p) {
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.drawLine(QPointF(12, 11), QPointF(12, 17));
    p.setPen(QPen(Navy, 2.8, Qt::SolidLine, Qt::RoundCap));
    p.drawPoint(QPointF(12, 7.5));
}
void toolProfile(QPainter& p) {
    p.drawEllipse(QRectF(8, 3, 8, 8));
    p.drawArc(QRectF(4, 12, 16, 16), 0, 180 * 16);
}
void toolExit(QPainter& p) {
    p.drawRect(QRectF(4, 3, 10, 18));
    p.drawLine(QPointF(11, 12), QPointF(21, 12));
    p.drawLine(QPointF(21, 12), QPointF(17.5, 8.5));
    p.drawLine(QPointF(21, 12), QPointF(17.5, 15.5));
}

// The reader-download button of the getting-started window.
QImage readerBadge() {
    QImage img = canvas(112, 33);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8a, 0x15, 0x15), 1));
    p.setBrush(QColor(0xc8, 0x25, 0x25));
    p.drawRoundedRect(QRectF(0.5, 0.5, 111, 32), 6, 6);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 2, 104, 14), Qt::AlignCenter, QStringLiteral("Get a free"));
    p.drawText(QRectF(4, 16, 104, 14), Qt::AlignCenter, QStringLiteral("PDF READER"));
    return img;
}

} // namespace

void save(const QImage& img, const QString& folder, const QString& name) {
    QString file = name;
    if (g_scale > 1) file.insert(file.lastIndexOf(QLatin1Char('.')), QStringLiteral("@%1x").arg(g_scale));
    save(img, folder, qPrintable(file));
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("assets");
    QDir().mkpath(folder);
    // What the windows show, for ordinary and for dense (2x) screens.
    for (int scale : {1, 2}) {
        g_scale = scale;
        save(vaultBackground(), folder, QStringLiteral("vault.png"));
        save(popupBackground(), folder, QStringLiteral("popup.png"));
        const std::pair<const char*, void (*)(QPainter&)> headerIcons[] = {
            {"lock.png", drawLock},   {"hide.png", drawHide},
            {"close.png", drawClose}, {"copy.png", drawCopy},
            {"copy-hover.png", drawCopyHover}, {"close-hover.png", drawCloseHover}};
        for (const auto& [name, draw] : headerIcons)
            save(headerIcon(draw), folder, QLatin1String(name));
        const std::pair<const char*, void (*)(QPainter&)> toolIcons[] = {
            {"tool-new.png", toolNew},         {"tool-delete.png", toolDelete},
            {"tool-save.png", toolSave},       {"tool-cancel.png", toolCancel},
            {"tool-options.png", toolOptions}, {"tool-category.png", toolCategory},
            {"tool-about.png", toolAbout},     {"tool-profile.png", toolProfile},
            {"tool-exit.png", toolExit}};
        for (const auto& [name, draw] : toolIcons)
            save(toolIcon(draw), folder, QLatin1String(name));
        save(readerBadge(), folder, QStringLiteral("get-reader.png"));
    }
    g_scale = 1;
    save(buttonCursor(), folder, "button-cursor.png");
    save(appIcon(64), folder, "tavrino-64.png");
    save(copiedCursor(), folder, "copied-cursor.png");
    save(appIcon(256), folder, "tavrino.png");
    return 0;
}
