#include "ui/desktop/flat_button.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using tavrino::UCBtn;

TEST(FlatButton, AnyMouseButtonClicksOnThePress) {
    UCBtn button;
    QSignalSpy clicks(&button, &UCBtn::Click);
    QTest::mousePress(&button, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mousePress(&button, Qt::MiddleButton);
    EXPECT_EQ(clicks.count(), 3) << "raised on the press, before any release";
}

TEST(FlatButton, HighlightStaysUntilReady) {
    UCBtn button;
    const QColor face = button.plateFill();
    button.setBackcolor(QColor(225, 225, 245));
    EXPECT_EQ(button.plateFill(), face) << "the plate keeps the button face until Ready";
    EXPECT_EQ(button.Backcolor(), QColor(225, 225, 245));
    button.setFlash(QColor(245, 245, 90));
    button.Ready();
    EXPECT_EQ(button.plateFill(), QColor(225, 225, 245));

    QTest::mouseMove(&button, QPoint(5, 5));
    EXPECT_EQ(button.plateFill(), QColor(245, 245, 90));
    QTest::mouseMove(&button, QPoint(200, 200)); // off the button: nothing notices
    EXPECT_TRUE(button.isHighlighted());
    button.Ready();
    EXPECT_FALSE(button.isHighlighted());
}

TEST(FlatButton, CaptionAndTipAreWhatAssistiveTechnologyReads) {
    UCBtn button;
    button.setCaption(QStringLiteral("LOGIN"));
    button.setTip(QStringLiteral("Login to Tavrino"));
    EXPECT_EQ(button.accessibleName(), QStringLiteral("LOGIN"));
    EXPECT_EQ(button.accessibleDescription(), QStringLiteral("Login to Tavrino"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Login to Tavrino"));
}
