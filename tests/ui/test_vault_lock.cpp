#include "vault_fixture.h"

#include "ui/setup/setup_window.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace tavrino;
using namespace tavrino::test;

namespace {

TEST(AutoLock, LocksAtTheFirstTickAtOrAfterTheLimit) {
    VaultFixture f({QStringLiteral("Work")}, QStringLiteral("5"));
    const QDateTime start(QDate(2026, 12, 10), QTime(9, 0));
    f.clock.time = start;
    VaultWindow& w = f.loginWork();
    QTest::mouseMove(&w, QPoint(20, 300)); // activity on the bare surface
    ASSERT_EQ(f.session.lastActivity, start);
    ASSERT_TRUE(w.lockController().isRunning());

    f.clock.time = start.addSecs(299);
    w.lockController().checkIdle();
    EXPECT_TRUE(f.session.loginOk);

    // Moving over the tree does not count; over the bare surface it does.
    QTest::mouseMove(f.tree()->viewport(), QPoint(10, 10));
    f.clock.time = start.addSecs(300);
    w.lockController().checkIdle();
    EXPECT_FALSE(f.session.loginOk) << "locked at 300 s";
    EXPECT_FALSE(w.lockController().isRunning());
    EXPECT_TRUE(f.loginPanel()->isVisible());
    EXPECT_FALSE(f.image("Lock Tavrino")->isEnabled());
}

// With Timer = 1 a tick half a second before the minute used to round the
// idle time down and wait a whole minute more.
TEST(AutoLock, CountsMillisecondsAndLooksAgainWhenTheLimitIsDue) {
    const struct {
        int idleMs;
        bool locked;
        int nextCheckMs;
    } cases[] = {{59500, false, 500}, {60000, true, 0}, {60500, true, 0}, {20000, false, 40000}};
    for (const auto& c : cases) {
        VaultFixture f({QStringLiteral("Work")}, QStringLiteral("1"));
        const QDateTime start(QDate(2026, 12, 10), QTime(9, 0));
        f.clock.time = start;
        VaultWindow& w = f.loginWork();
        QTest::mouseMove(&w, QPoint(20, 300));
        f.clock.time = start.addMSecs(c.idleMs);
        w.lockController().checkIdle();
        EXPECT_EQ(!f.session.loginOk, c.locked) << c.idleMs;
        EXPECT_EQ(w.lockController().nextCheckMs(), c.nextCheckMs) << c.idleMs;
    }
}

TEST(AutoLock, SurfaceMovementAndTypingPostponeIt) {
    VaultFixture f({QStringLiteral("Work")}, QStringLiteral("5"));
    const QDateTime start(QDate(2026, 12, 10), QTime(9, 0));
    f.clock.time = start;
    VaultWindow& w = f.loginWork();
    f.clock.time = start.addSecs(200);
    QTest::mouseMove(&w, QPoint(20, 300));
    f.clock.time = start.addSecs(400);
    w.lockController().checkIdle();
    EXPECT_TRUE(f.session.loginOk);
    f.openRecord(1);
    QTest::keyClick(f.box("Web Site"), Qt::Key_X);
    f.clock.time = start.addSecs(650);
    w.lockController().checkIdle();
    EXPECT_TRUE(f.session.loginOk) << "typing at 400 s counts";
    f.clock.time = start.addSecs(700);
    w.lockController().checkIdle();
    EXPECT_FALSE(f.session.loginOk);
}

TEST(AutoLock, LoginItselfIsNoMouseActivity) {
    VaultFixture f({QStringLiteral("Home")}, QStringLiteral("5"));
    const QDateTime start(QDate(2026, 12, 10), QTime(9, 0));
    f.clock.time = start;
    VaultWindow& w = f.start();
    // Logging in by the mouse alone records nothing: idle since ever.
    f.box("Password")->setText(QStringLiteral("QUILT"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    ASSERT_TRUE(f.session.loginOk);
    EXPECT_FALSE(f.session.lastActivity.isValid());
    w.lockController().checkIdle();
    EXPECT_FALSE(f.session.loginOk) << "the first tick locks";
}

TEST(Lock, DropsUnsavedChangesAndSelectsTheFirstProfile) {
    VaultFixture f({QStringLiteral("Home"), QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    ASSERT_EQ(f.profileBox()->count(), 2);
    ASSERT_EQ(f.profileBox()->itemText(0), QStringLiteral("Home")) << "sorted";
    f.openRecord(1);
    f.type(f.box("Description"), QStringLiteral("unsaved"));
    ASSERT_TRUE(w.isDirty());
    QTest::mouseClick(f.image("Lock Tavrino"), Qt::LeftButton);
    EXPECT_FALSE(w.isDirty());
    EXPECT_TRUE(f.messages.shown.isEmpty()) << "silently";
    EXPECT_EQ(f.profileBox()->currentText(), f.profileBox()->itemText(0));
    EXPECT_EQ(f.profileBox()->currentIndex(), 0);
    EXPECT_EQ(f.profile.Security.LoginMode, 1) << "the first profile is open again";
    EXPECT_TRUE(f.loggedInNote()->text().isEmpty());
    EXPECT_TRUE(f.box("Password")->text().isEmpty());
    EXPECT_FALSE(f.grouping()->isVisible());
    EXPECT_TRUE(f.button(CommandBars::Login)->isVisible());
    EXPECT_EQ(w.focusWidget(), f.box("Password"))
        << "the last box its login mode shows";
    EXPECT_TRUE(w.close()) << "nothing unsaved any more";
}

TEST(Lock, LockImageDoesNothingBeforeLogin) {
    VaultFixture f({QStringLiteral("Work")});
    f.start();
    f.type(f.box("User ID"), QStringLiteral("alice"));
    QTest::mouseClick(f.image("Lock Tavrino"), Qt::LeftButton);
    EXPECT_EQ(f.box("User ID")->text(), QStringLiteral("alice"));
}

TEST(PopupTimer, ClosesThePopupAtItsFirstTick) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(1);
    QTest::mousePress(f.button(CommandBars::Popup), Qt::LeftButton);
    ASSERT_TRUE(w.hasPopup());
    EXPECT_TRUE(w.popup()->isVisible());
    EXPECT_TRUE(w.lockController().popupTimerRunning());
    w.lockController().popupTimeUp();
    EXPECT_FALSE(w.popup()->isVisible());
    EXPECT_FALSE(w.lockController().popupTimerRunning());
}

} // namespace

namespace {

TEST(AutoLock, SwitchedOffNeverLocks) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    ASSERT_FALSE(w.lockController().isRunning());
    f.clock.time = f.clock.time.addDays(1);
    w.lockController().checkIdle();
    EXPECT_TRUE(f.session.loginOk);
    EXPECT_FALSE(w.lockController().isRunning());
}

// Nothing of the profile stays in sight after a lock: popup and setup close
// (setup's changes dropped) and the copied password leaves the clipboard.
TEST(Lock, ClosesPopupAndSetupAndTakesBackTheClipboard) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(1);
    QTest::mousePress(f.button(CommandBars::Popup), Qt::LeftButton);
    ASSERT_TRUE(w.popup()->isVisible());
    QTest::mouseClick(named<ImageButton>(w.popup(), QStringLiteral("Copy Password to Clipboard ")),
                      Qt::LeftButton);
    ASSERT_EQ(QGuiApplication::clipboard()->text(), f.record(1)[PasswordRecord::Password]);
    SetupWindow* setup = w.setupWindow();
    setup->show();
    f.type(named<QLineEdit>(setup, QStringLiteral("Password")), QStringLiteral("half typed"));

    QTest::mouseClick(f.image("Lock Tavrino"), Qt::LeftButton);
    EXPECT_FALSE(f.session.loginOk);
    EXPECT_FALSE(w.popup()->isVisible());
    EXPECT_FALSE(setup->isVisible());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
    EXPECT_TRUE(f.messages.shown.isEmpty()) << "nothing asked, nothing saved";
    EXPECT_EQ(f.profile.Security.Password, QStringLiteral("S3cret pass"));
}

} // namespace
