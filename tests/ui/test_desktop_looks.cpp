// What the windows look like on today's desktops: a dark theme, a dense
// screen, a compositor that draws only what the window paints.
#include "vault_fixture.h"

#include "ui/desktop/picture_read_ahead.h"
#include "ui/desktop/prepared_pictures.h"
#include "ui/desktop/window_shape.h"
#include "ui/popup/record_popup.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace tavrino::test {
namespace {

double luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

// The contrast of a text as it is on screen: its darkest against its
// lightest pixel (the glyphs against the ground around them).
double contrastOf(const QImage& shot) {
    double low = 1, high = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const double l = luminance(shot.pixel(x, y));
            low = std::min(low, l);
            high = std::max(high, l);
        }
    return (high + 0.05) / (low + 0.05);
}

struct DarkDesktop {
    QPalette before = QApplication::palette();
    DarkDesktop() {
        QPalette dark(QColor(0x3c, 0x3c, 0x3c), QColor(0x24, 0x24, 0x24));
        dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        QApplication::setPalette(dark);
    }
    ~DarkDesktop() { QApplication::setPalette(before); }
};

// Every caption on the card, measured on the window as it is painted.
void expectReadableCaptions(QWidget& window, const QStringList& names) {
    const QImage shot = window.grab().toImage();
    int measured = 0;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisible() || !names.contains(label->text().remove(QLatin1Char('&')))) continue;
        const QRect where(label->mapTo(&window, QPoint(0, 0)), label->size());
        EXPECT_GE(contrastOf(shot.copy(where)), 4.5) << label->text().toStdString();
        ++measured;
    }
    EXPECT_EQ(measured, names.size());
}

// TAVRINO_SHOT_DIR=folder: the looks are also saved there as pictures (the
// README's, taken with QT_SCALE_FACTOR=1 and 2).
void saveShot(QWidget& window, const char* name) {
    const QString folder = qEnvironmentVariable("TAVRINO_SHOT_DIR");
    if (folder.isEmpty()) return;
    const qreal scale = window.devicePixelRatioF();
    window.grab().save(folder + QStringLiteral("/%1%2.png")
                                    .arg(QLatin1String(name))
                                    .arg(scale > 1 ? QStringLiteral("@2x") : QString()));
}

TEST(DarkTheme, CaptionsOnTheCardStayDarkOnLight) {
    DarkDesktop dark;
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.start(QStringLiteral("Work"));
    saveShot(w, "vault-dark-login");
    expectReadableCaptions(w, {QStringLiteral("User ID"), QStringLiteral("Password"),
                               QStringLiteral("PIN Number")});
    f.loginWork();
    f.openRecord(1);
    saveShot(*f.window, "vault-dark-record");
    expectReadableCaptions(*f.window, {QStringLiteral("Description"),
                                       QStringLiteral("User/Account Code"), QStringLiteral("Notes"),
                                       QStringLiteral("Any Expiry Date")});
}

// The outside of the shaped windows is see-through, not the key colour a
// compositor would otherwise show around them.
TEST(ShapedWindows, TheOutsideIsSeeThroughAndTheMaskFollowsThePicture) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.start(QStringLiteral("Work"));
    EXPECT_TRUE(w.testAttribute(Qt::WA_TranslucentBackground));
    const QImage shot = w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(shot.pixel(0, 0)), 0) << "a corner outside the rounded frame";
    EXPECT_EQ(qAlpha(shot.pixel(shot.width() / 2, shot.height() / 2)), 255);
    int keyColoured = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) == 0xFF00FF && qAlpha(shot.pixel(x, y)) > 0)
                ++keyColoured;
    EXPECT_EQ(keyColoured, 0);
    EXPECT_FALSE(w.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(w.mask().contains(QPoint(w.width() / 2, w.height() / 2)));
}

// Pictures decoded on a thread of their own while the program starts are
// exactly those decoded when asked for, each handed over once, only for the
// density and key colour asked; the window takes them.
TEST(ShapedWindows, PicturesReadAheadAreThePicturesAskedFor) {
    const QString card = QStringLiteral(":/assets/vault.png");
    const QString lock = QStringLiteral(":/assets/lock.png");
    const QRgb magenta = qRgb(255, 0, 255);
    for (qreal density : {1.0, 2.0}) {
        PictureReadAhead::start(density, {{card, magenta}}, {lock});
        EXPECT_FALSE(PictureReadAhead::takeShaped(card, density, qRgb(0, 0, 255)));
        PictureReadAhead::start(density, {{card, magenta}}, {lock});
        EXPECT_FALSE(PictureReadAhead::takePlain(lock, density * 1.5));
        EXPECT_FALSE(PictureReadAhead::takeShaped(card, density * 1.5, magenta));
        PictureReadAhead::start(density, {{card, magenta}}, {lock});
        const std::optional<ShapedPicture> early = PictureReadAhead::takeShaped(card, density, magenta);
        ASSERT_TRUE(early);
        const ShapedPicture now = WindowShape::shapedPicture(card, density, magenta);
        EXPECT_EQ(early->seeThrough, now.seeThrough);
        EXPECT_EQ(early->seeThrough.devicePixelRatio(), density);
        EXPECT_EQ(early->mask, now.mask);
        EXPECT_EQ(early->size, now.size);
        EXPECT_EQ(PictureReadAhead::takePlain(lock, density), WindowShape::decodePicture(lock, density));
        EXPECT_FALSE(PictureReadAhead::takeShaped(card, density, magenta)) << "handed over once";
        EXPECT_FALSE(PictureReadAhead::takePlain(lock, density));
    }

    QRegion masks[2];
    for (int ahead = 0; ahead < 2; ++ahead) {
        VaultFixture f({QStringLiteral("Work")});
        const qreal density = QGuiApplication::primaryScreen()->devicePixelRatio();
        if (ahead) VaultWindow::readPicturesAhead(density);
        masks[ahead] = f.start(QStringLiteral("Work")).mask();
        EXPECT_FALSE(PictureReadAhead::takeShaped(card, density, magenta)) << "the window took it";
    }
    EXPECT_EQ(masks[0], masks[1]);
}

// The card's shape worked out while the program was built is exactly the
// one decoded from its picture now, and only for that picture, key colour
// and density; the window shows it.
TEST(ShapedWindows, PreparedPicturesAreThePicturesDecoded) {
    const QString card = QLatin1String(VaultWindow::CardPicture);
    const QRgb key = VaultWindow::CardKey;
    PreparedPictures::addBuiltIn();
    const std::optional<ShapedPicture> prepared = PreparedPictures::find(card, 1.0, key);
    ASSERT_TRUE(prepared);
    const ShapedPicture decoded = WindowShape::decodeShapedPicture(card, 1.0, key);
    EXPECT_EQ(prepared->seeThrough,
              decoded.seeThrough.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    EXPECT_EQ(prepared->mask, decoded.mask);
    EXPECT_EQ(prepared->size, decoded.size);
    EXPECT_FALSE(PreparedPictures::find(card, 2.0, key));
    EXPECT_FALSE(PreparedPictures::find(card, 1.0, qRgb(0, 0, 255)));
    EXPECT_FALSE(PreparedPictures::find(QStringLiteral(":/assets/popup.png"), 1.0, key));

    VaultFixture f({QStringLiteral("Work")});
    if (QGuiApplication::primaryScreen()->devicePixelRatio() <= 1.0) {
        EXPECT_EQ(f.start(QStringLiteral("Work")).mask(), decoded.mask);
    }
}

TEST(DenseScreens, PicturesComeAtTwiceTheDensityWhereTheScreenIs) {
    const QImage plain = WindowShape::pictureFor(QStringLiteral(":/assets/vault.png"), 1.0);
    const QImage dense = WindowShape::pictureFor(QStringLiteral(":/assets/vault.png"), 2.0);
    EXPECT_EQ(dense.size(), plain.size() * 2);
    EXPECT_EQ(dense.deviceIndependentSize(), QSizeF(plain.size()));
    EXPECT_EQ(WindowShape::pictureFor(QStringLiteral(":/assets/vault.png"), 1.5).devicePixelRatio(), 2.0);
}

// A window hidden in the tray is shown again when the tray goes away; a
// second start brings it forward from the tray or from the task bar.
TEST(OneWindow, ComesBackWhenTheTrayGoesAndWhenAskedFor) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.start(QStringLiteral("Work"));
    bool trayThere = true;
    w.canHideToTray = [&] { return trayThere; };
    auto* hideButton = named<QWidget>(&w, QStringLiteral("Hide Tavrino"));
    QTest::mouseClick(hideButton, Qt::LeftButton);
    ASSERT_FALSE(w.isVisible());
    QTest::qWait(VaultWindow::TrayCheckMs + 300);
    EXPECT_FALSE(w.isVisible()) << "the tray is there";
    trayThere = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.isVisible(); }, VaultWindow::TrayCheckMs + 1000));

    w.showMinimized();
    w.comeForward();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isMinimized());
    trayThere = true;
    QTest::mouseClick(hideButton, Qt::LeftButton);
    w.comeForward();
    EXPECT_TRUE(w.isVisible());
}

} // namespace
} // namespace tavrino::test
