#include "ui/desktop/window_shape.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

using namespace tavrino;

namespace {

const QRgb Magenta = qRgb(255, 0, 255);

// Pictures drawn from rows of text: '#' transparent, '.' anything else.
QImage picture(const QStringList& rows) {
    QImage img(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()),
               QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, rows[y][x] == QLatin1Char('#') ? Magenta : qRgb(20, 40, 60));
    return img;
}

struct ShapeCase {
    const char* what;
    QStringList rows;
    QList<ShapeRun> runs;
};

class Shape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(Shape, RunsAndRegion) {
    const ShapeCase& c = GetParam();
    const QImage img = picture(c.rows);
    const QList<ShapeRun> runs = scanTransparentRuns(img, Magenta);
    EXPECT_EQ(runs, c.runs);
    const QRegion region = regionWithoutRuns(img.rect(), runs);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            EXPECT_EQ(region.contains(QPoint(x, y)), c.rows[y][x] != QLatin1Char('#'))
                << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, Shape,
    ::testing::Values(
        ShapeCase{"no_transparent_pixel", {QStringLiteral("...."), QStringLiteral("....")}, {}},
        ShapeCase{"full_row",
                  {QStringLiteral("...."), QStringLiteral("####"), QStringLiteral("....")},
                  {{1, 0, 3}}},
        ShapeCase{"stretch_to_right_edge",
                  {QStringLiteral("..##"), QStringLiteral("#...")},
                  {{0, 2, 3}, {1, 0, 0}}},
        ShapeCase{"one_pixel",
                  {QStringLiteral("..."), QStringLiteral(".#."), QStringLiteral("...")},
                  {{1, 1, 1}}},
        ShapeCase{"rounded_corners",
                  {QStringLiteral("#..#"), QStringLiteral("...."), QStringLiteral("#..#")},
                  {{0, 0, 0}, {0, 3, 3}, {2, 0, 0}, {2, 3, 3}}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(WindowShape, OnlyWindowsPicturesAndButtonsCanBeShaped) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    WindowShape shaper;
    try {
        shaper.shapeTo(edit, Magenta);
        FAIL() << "a text box was shaped";
    } catch (const ShapeError& e) {
        EXPECT_EQ(ShapeError::Number, -2147218992L);
        EXPECT_EQ(e.source, QStringLiteral("TransForm"));
        EXPECT_EQ(e.description,
                  QStringLiteral("Must pass in the name of a Form, PictureBox, CommandButton, "
                                 "CheckBox or OptionButton.  TransForm ShapeMe method failed."));
    }
    EXPECT_TRUE(edit->mask().isEmpty());
}

TEST(WindowShape, ButtonLosesItsBorderAndItsTransparentColour) {
    QPushButton button(QStringLiteral("x"));
    button.resize(20, 10);
    WindowShape shaper;
    shaper.shapeTo(&button, Magenta);
    EXPECT_TRUE(button.text().isEmpty());
    EXPECT_FALSE(button.mask().contains(QPoint(1, 1))) << "the 2-pixel border is left out";
    EXPECT_TRUE(button.mask().boundingRect().adjusted(-2, -2, 2, 2).contains(QRect(0, 0, 20, 10)) ||
                button.mask().isEmpty());
}

TEST(WindowShapeDrag, OnlyTheLeftButtonStartsAMove) {
    QWidget window;
    WindowShape shaper;
    EXPECT_FALSE(shaper.startSystemDrag(&window, Qt::RightButton));
}

} // namespace
