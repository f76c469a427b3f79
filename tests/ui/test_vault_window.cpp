#include "vault_fixture.h"

#include <QScrollBar>

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
    for (FlatButton* b : w.commandBars().buttons()) {
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
    EXPECT_EQ(f.profileBox()->currentText(), QStringLiteral("Home"));
    EXPECT_TRUE(f.profile.ProfileLoaded);
    EXPECT_EQ(f.gettingStarted, 0) << "Startup is 1";
    EXPECT_EQ(f.loginPanel()->geometry(), QRect(47, 98, 271, 267));
    EXPECT_EQ(f.barOf(CommandBars::Delete)->geometry(), QRect(46, 368, 271, 45));
    for (QWidget* image : {static_cast<QWidget*>(f.image("Lock Tavrino")), static_cast<QWidget*>(f.image("Close Tavrino")),
                           static_cast<QWidget*>(f.image("Hide Tavrino"))})
        EXPECT_EQ(image->accessibleName(), image->toolTip());
}

// A name planted in the folder with a line break shows as one line, its
// break written out; chosen, it opens as the file it is.
TEST(VaultWindow, PlantedProfileNamesShowEscapedAndOpenAsTheyAre) {
    VaultFixture f({});
    const QString planted = QStringLiteral("Home\nWork");
    QFile::copy(fixturePath(QStringLiteral("Home.dat")), f.dbPath(planted + QStringLiteral(".dat")));
    f.start();
    ASSERT_EQ(f.profileBox()->count(), 1);
    EXPECT_FALSE(f.profileBox()->itemText(0).contains(QLatin1Char('\n')));
    EXPECT_TRUE(f.profileBox()->itemText(0).startsWith(QStringLiteral("Home")));
    EXPECT_EQ(f.window->loginPanel().profileName(), planted);
    EXPECT_TRUE(f.profile.ProfileLoaded);
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
        EXPECT_EQ(f.session.autoLockMinutes, c.minutes) << c.timer;
    }
    VaultFixture f({QStringLiteral("Home")});
    QSettings ini(f.settings.path(), QSettings::IniFormat);
    ini.remove(SettingsStore::keyOf(QStringLiteral("Timer")));
    ini.sync();
    f.start();
    EXPECT_EQ(f.session.autoLockMinutes, -1);
}

TEST(VaultWindow, TreeAfterLoginAndBothViews) {
    VaultFixture f({QStringLiteral("Work")});
    f.clock.time = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
    f.start();
    f.type(f.box("User ID"), QStringLiteral("alice"));
    f.type(f.box("Password"), QStringLiteral("S3cret pass"));
    f.type(f.box("PIN Number"), QStringLiteral("4711"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    ASSERT_TRUE(f.session.loginOk);
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("2 passwords have expired.")});
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("Warning"));
    QAbstractItemModel* model = f.tree()->model();
    EXPECT_EQ(model->rowCount(), 27) << "A-Z view first";
    const QModelIndex current = f.tree()->currentIndex();
    EXPECT_EQ(current.data().toString(), QStringLiteral("Credit card <!!! Expired>"));
    EXPECT_EQ(current.data(Qt::UserRole).toString(), QStringLiteral("C9"));
    EXPECT_TRUE(f.tree()->isExpanded(current.parent()));
    EXPECT_EQ(current.data(Qt::ToolTipRole).toString(), current.data().toString());
    EXPECT_TRUE(current.data(Qt::ForegroundRole).isValid()) << "expiring shows in its colour";
    QCoreApplication::processEvents();
    EXPECT_GE(f.tree()->visualRect(current).width(),
              f.tree()->fontMetrics().horizontalAdvance(current.data().toString()))
        << "nothing of the text cut off";
    EXPECT_FALSE(current.sibling(0, 0).data(Qt::ForegroundRole).isValid() &&
                 current.sibling(0, 0) != current);
    EXPECT_EQ(f.combo("Category")->count(), 4);
    EXPECT_EQ(f.combo("Category")->itemText(0), QStringLiteral("<None>"));
    EXPECT_FALSE(f.session.isFilling);

    QTest::mouseClick(f.grouping(), Qt::LeftButton);
    EXPECT_TRUE(f.session.showByCategory);
    EXPECT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Bank"));
    EXPECT_EQ(model->index(1, 0, model->index(3, 0)).data().toString(),
              QStringLiteral("Tokyo office 東京"));
    EXPECT_EQ(f.tree()->currentIndex().data(Qt::UserRole).toString(), QStringLiteral("C9"))
        << "the same record selected in the other grouping";
    f.openRecord(1);
    QTest::mousePress(f.button(CommandBars::Back), Qt::LeftButton);
    EXPECT_EQ(f.tree()->currentIndex().data(Qt::UserRole).toString(), QStringLiteral("C1"))
        << "back at the record just left";
    EXPECT_EQ(f.messages.shown.size(), 1) << "the warning once per login";
}

// The list shows the record it selects, and its scroll bar says where the
// list is: the selected record far down the list is in view after a login.
TEST(VaultWindow, TheSelectedRecordIsInViewAndTheScrollBarAgrees) {
    VaultFixture f({QStringLiteral("Big")});
    f.clock.time = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
    VaultWindow& w = f.start(QStringLiteral("Big"));
    f.type(f.box("User ID"), QStringLiteral("bulk"));
    f.type(f.box("Password"), QStringLiteral("Big pass 1"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    ASSERT_TRUE(f.session.loginOk);
    QCoreApplication::processEvents();
    const QModelIndex current = f.tree()->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_TRUE(f.tree()->viewport()->rect().intersects(f.tree()->visualRect(current)))
        << current.data().toString().toStdString();
    const QModelIndex top = f.tree()->indexAt(QPoint(2, 2));
    QScrollBar* bar = f.tree()->verticalScrollBar();
    EXPECT_GT(bar->value(), 0);
    EXPECT_NE(top, f.treeModel()->index(0, 0)) << "the list scrolled where its bar says";
    Q_UNUSED(w);
}

TEST(VaultWindow, ClosingWithUnsavedChangesIsRefused) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    int trayRemoved = 0;
    w.removeTray = [&] { ++trayRemoved; };
    w.recordPanel().setDirty(true);
    EXPECT_TRUE(f.button(CommandBars::Save)->isVisibleTo(&w));
    EXPECT_TRUE(f.barOf(CommandBars::Delete)->isVisible());
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("You have unsaved changes!")});
    EXPECT_EQ(f.messages.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(trayRemoved, 0);

    w.recordPanel().setDirty(false);
    EXPECT_FALSE(f.button(CommandBars::Save)->isVisibleTo(&w));
    EXPECT_TRUE(f.button(CommandBars::Login)->isVisible()) << "the login's own bar again";
    EXPECT_TRUE(w.close());
    EXPECT_EQ(trayRemoved, 1);
}

TEST(VaultWindow, HelpOpensTheManualBesideTheProgram) {
    VaultFixture f({QStringLiteral("Home")});
    f.start();
    QTest::mousePress(f.button(CommandBars::Help), Qt::LeftButton);
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.shown[0].text.startsWith(
        QStringLiteral("An error has occurred! The error is \r\n")));
    writeFile(f.appDir.filePath(QStringLiteral("Tavrino.html")), "<html></html>");
    QTest::mousePress(f.button(CommandBars::Help), Qt::LeftButton);
    EXPECT_EQ(f.addresses.opened, QStringList{f.appDir.filePath(QStringLiteral("Tavrino.html"))});
}

TEST(VaultWindow, MouseOverTheBackgroundRefreshesButtonsAndCountsAsActivity) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    QTest::mouseMove(f.button(CommandBars::Login), QPoint(5, 5));
    EXPECT_TRUE(f.button(CommandBars::Login)->isHighlighted());
    QTest::mouseMove(&w, QPoint(20, 300));
    EXPECT_FALSE(f.button(CommandBars::Login)->isHighlighted());
    EXPECT_EQ(f.session.lastActivity, f.clock.time);
}

} // namespace
