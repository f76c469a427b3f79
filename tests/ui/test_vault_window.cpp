#include "vault_fixture.h"

#include <QSettings>

using namespace tavrino;
using namespace tavrino::test;

namespace {

TEST(VaultWindow, LoadDressesTheButtonsAndOpensTheFirstProfile) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tavrino Password Manager"));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    QStringList captions;
    for (FlatButton* b : w.flatButtons()) {
        captions << b->caption();
        EXPECT_EQ(b->backColor(), QColor(225, 225, 245));
        EXPECT_FALSE(b->isHighlighted());
        EXPECT_EQ(b->accessibleName(), b->caption());
        EXPECT_FALSE(b->accessibleDescription().isEmpty());
    }
    EXPECT_EQ(captions,
              QStringList({QStringLiteral("SETUP"), QStringLiteral("LOST"), QStringLiteral("LOGIN"),
                           QStringLiteral("HELP"), QStringLiteral("NEW"), QStringLiteral("SAVE"),
                           QStringLiteral("UNDO"), QStringLiteral("BACK"), QStringLiteral("@PWD*"),
                           QStringLiteral("POPUP"), QStringLiteral("DELETE")}));
    EXPECT_EQ(w.cboProfile->currentText(), QStringLiteral("Home"));
    EXPECT_TRUE(f.profile.ProfileLoaded);
    EXPECT_EQ(f.gettingStarted, 0) << "Startup is 1";
    EXPECT_EQ(w.fraLogin->geometry(), QRect(47, 98, 271, 267));
    EXPECT_EQ(w.fraRecord->geometry(), QRect(46, 368, 271, 45));
    for (QWidget* image : {static_cast<QWidget*>(w.imgLock), static_cast<QWidget*>(w.Image1),
                           static_cast<QWidget*>(w.Image2)})
        EXPECT_EQ(image->accessibleName(), image->toolTip());
}

TEST(VaultWindow, ShapeCutsAwayTheMagentaOutside) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    const QRegion shape = w.mask();
    EXPECT_FALSE(shape.contains(QPoint(0, 0))) << "corner";
    EXPECT_FALSE(shape.contains(QPoint(359, 445)));
    EXPECT_TRUE(shape.contains(QPoint(180, 220))) << "middle";
    EXPECT_TRUE(shape.contains(QPoint(5, 110))) << "a hinge";
    EXPECT_FALSE(shape.contains(QPoint(5, 200))) << "between the hinges";
}

TEST(VaultWindow, GettingStartedShowsUnlessStartupIsOne) {
    for (const auto& [startup, shown] :
         {std::pair{QStringLiteral("1"), 0}, std::pair{QStringLiteral("0"), 1},
          std::pair{QStringLiteral(" 1"), 1}}) {
        VaultFixture f({QStringLiteral("Home")});
        f.settings.WriteSetting(QStringLiteral("Startup"), startup);
        f.start();
        EXPECT_EQ(f.gettingStarted, shown) << startup.toStdString();
    }
}

TEST(VaultWindow, AutoLockMinutesFromTheTimerSetting) {
    const struct {
        const char* timer;
        int minutes;
    } cases[] = {{"5", 5}, {"2.5", 2}, {"3.5", 4}, {"abc", 0}, {" 15", 15}};
    for (const auto& c : cases) {
        VaultFixture f({QStringLiteral("Home")}, QString::fromLatin1(c.timer));
        f.start();
        EXPECT_EQ(f.session.AutoLockMinutes, c.minutes) << c.timer;
    }
    VaultFixture f({QStringLiteral("Home")});
    QSettings ini(f.settings.path(), QSettings::IniFormat);
    ini.remove(SettingsStore::keyOf(QStringLiteral("Timer")));
    ini.sync();
    f.start();
    EXPECT_EQ(f.session.AutoLockMinutes, -1);
}

TEST(VaultWindow, TreeAfterLoginAndBothViews) {
    VaultFixture f({QStringLiteral("Work")});
    f.clock.time = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
    VaultWindow& w = f.start();
    f.type(w.txtUser, QStringLiteral("alice"));
    f.type(w.txtpass, QStringLiteral("S3cret pass"));
    f.type(w.txtPin, QStringLiteral("4711"));
    QTest::mousePress(w.UCLoginBtn, Qt::LeftButton);
    ASSERT_TRUE(f.session.LoginOK);
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral(
                                      "There are passwords which are due to expire in 7 days.")});
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("Warning"));
    QAbstractItemModel* model = w.TV1->model();
    EXPECT_EQ(model->rowCount(), 27) << "A-Z view first";
    const QModelIndex current = w.TV1->currentIndex();
    EXPECT_EQ(current.data().toString(), QStringLiteral("Credit card <!!! Expiring Date>"));
    EXPECT_EQ(current.data(Qt::UserRole).toString(), QStringLiteral("C9"));
    EXPECT_TRUE(w.TV1->isExpanded(current.parent()));
    EXPECT_EQ(w.cboCategory->count(), 4);
    EXPECT_EQ(w.cboCategory->itemText(0), QStringLiteral("<None>"));
    EXPECT_FALSE(f.session.IsFilling);

    QTest::mouseClick(w.cmdAlpha, Qt::LeftButton);
    EXPECT_TRUE(f.session.ShowByCategory);
    EXPECT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Bank"));
    EXPECT_EQ(model->index(1, 0, model->index(3, 0)).data().toString(),
              QStringLiteral("Tokyo office 東京"));
    EXPECT_EQ(f.messages.shown.size(), 2) << "one warning per rebuild";
}

TEST(VaultWindow, ClosingWithUnsavedChangesIsRefused) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    int trayRemoved = 0;
    w.removeTray = [&] { ++trayRemoved; };
    w.SetDirty(true);
    EXPECT_TRUE(w.UCSaveBtn->isVisibleTo(&w));
    EXPECT_TRUE(w.fraRecord->isVisible());
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("You have unsaved changes!")});
    EXPECT_EQ(f.messages.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(trayRemoved, 0);

    w.SetDirty(false);
    EXPECT_FALSE(w.UCSaveBtn->isVisibleTo(&w));
    EXPECT_TRUE(w.fraRecord->isVisible()) << "only SAVE and UNDO go";
    EXPECT_TRUE(w.close());
    EXPECT_EQ(trayRemoved, 1);
}

TEST(VaultWindow, HelpOpensTheManualBesideTheProgram) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    QTest::mousePress(w.UCHelpBtn, Qt::LeftButton);
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.shown[0].text.startsWith(
        QStringLiteral("An error has occurred! The error is \r\n")));
    writeFile(f.appDir.filePath(QStringLiteral("Tavrino.html")), "<html></html>");
    QTest::mousePress(w.UCHelpBtn, Qt::LeftButton);
    EXPECT_EQ(f.addresses.opened, QStringList{f.appDir.filePath(QStringLiteral("Tavrino.html"))});
}

TEST(VaultWindow, MouseOverTheBackgroundRefreshesButtonsAndCountsAsActivity) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    QTest::mouseMove(w.UCLoginBtn, QPoint(5, 5));
    EXPECT_TRUE(w.UCLoginBtn->isHighlighted());
    QTest::mouseMove(&w, QPoint(20, 300));
    EXPECT_FALSE(w.UCLoginBtn->isHighlighted());
    EXPECT_EQ(f.session.LastActivity, f.clock.time);
}

} // namespace
