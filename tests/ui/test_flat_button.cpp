#include "ui/desktop/flat_button.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using tavrino::FlatButton;

TEST(FlatButton, AnyMouseButtonClicksOnThePress) {
    FlatButton button;
    QSignalSpy clicks(&button, &FlatButton::clicked);
    QTest::mousePress(&button, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mousePress(&button, Qt::MiddleButton);
    EXPECT_EQ(clicks.count(), 3) << "raised on the press, before any release";
}

TEST(FlatButton, HighlightStaysUntilReady) {
    FlatButton button;
    const QColor face = button.plateFill();
    button.setBackColor(QColor(225, 225, 245));
    EXPECT_EQ(button.plateFill(), face) << "the plate keeps the button face until Ready";
    EXPECT_EQ(button.backColor(), QColor(225, 225, 245));
    button.setFlash(QColor(245, 245, 90));
    button.resetHighlight();
    EXPECT_EQ(button.plateFill(), QColor(225, 225, 245));

    QTest::mouseMove(&button, QPoint(5, 5));
    EXPECT_EQ(button.plateFill(), QColor(245, 245, 90));
    QTest::mouseMove(&button, QPoint(200, 200)); // off the button: nothing notices
    EXPECT_TRUE(button.isHighlighted());
    button.resetHighlight();
    EXPECT_FALSE(button.isHighlighted());
}

TEST(FlatButton, CaptionAndTipAreWhatAssistiveTechnologyReads) {
    FlatButton button;
    button.setCaption(QStringLiteral("LOGIN"));
    button.setTip(QStringLiteral("Login to Tavrino"));
    EXPECT_EQ(button.accessibleName(), QStringLiteral("LOGIN"));
    EXPECT_EQ(button.accessibleDescription(), QStringLiteral("Login to Tavrino"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Login to Tavrino"));
}
