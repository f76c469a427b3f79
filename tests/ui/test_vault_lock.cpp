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
    ASSERT_EQ(f.session.LastActivity, start);
    ASSERT_TRUE(w.tmrLock->isActive());

    f.clock.time = start.addSecs(299);
    w.tmrLock_Timer();
    EXPECT_TRUE(f.session.LoginOK);

    // Moving over the tree does not count; over the bare surface it does.
    QTest::mouseMove(w.TV1->viewport(), QPoint(10, 10));
    f.clock.time = start.addSecs(300);
    w.tmrLock_Timer();
    EXPECT_FALSE(f.session.LoginOK) << "locked at 300 s";
    EXPECT_FALSE(w.tmrLock->isActive());
    EXPECT_TRUE(w.fraLogin->isVisible());
    EXPECT_FALSE(w.imgLock->isEnabled());
}

TEST(AutoLock, SurfaceMovementAndTypingPostponeIt) {
    VaultFixture f({QStringLiteral("Work")}, QStringLiteral("5"));
    const QDateTime start(QDate(2026, 12, 10), QTime(9, 0));
    f.clock.time = start;
    VaultWindow& w = f.loginWork();
    f.clock.time = start.addSecs(200);
    QTest::mouseMove(&w, QPoint(20, 300));
    f.clock.time = start.addSecs(400);
    w.tmrLock_Timer();
    EXPECT_TRUE(f.session.LoginOK);
    f.openRecord(1);
    QTest::keyClick(w.txtWeb, Qt::Key_X);
    f.clock.time = start.addSecs(650);
    w.tmrLock_Timer();
    EXPECT_TRUE(f.session.LoginOK) << "typing at 400 s counts";
    f.clock.time = start.addSecs(700);
    w.tmrLock_Timer();
    EXPECT_FALSE(f.session.LoginOK);
}

TEST(AutoLock, LoginItselfIsNoMouseActivity) {
    VaultFixture f({QStringLiteral("Home")}, QStringLiteral("5"));
    const QDateTime start(QDate(2026, 12, 10), QTime(9, 0));
    f.clock.time = start;
    VaultWindow& w = f.start();
    // Logging in by the mouse alone records nothing: idle since ever.
    w.txtpass->setText(QStringLiteral("QUILT"));
    QTest::mousePress(w.UCLoginBtn, Qt::LeftButton);
    ASSERT_TRUE(f.session.LoginOK);
    EXPECT_FALSE(f.session.LastActivity.isValid());
    w.tmrLock_Timer();
    EXPECT_FALSE(f.session.LoginOK) << "the first tick locks";
}

TEST(Lock, DropsUnsavedChangesAndSelectsTheFirstProfile) {
    VaultFixture f({QStringLiteral("Home"), QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    ASSERT_EQ(w.cboProfile->count(), 2);
    const bool workFirst = w.cboProfile->itemText(0) == u"Work"; // directory order
    f.openRecord(1);
    f.type(w.txtUserDesc, QStringLiteral("unsaved"));
    ASSERT_TRUE(w.IsDirty());
    QTest::mouseClick(w.imgLock, Qt::LeftButton);
    EXPECT_FALSE(w.IsDirty());
    EXPECT_TRUE(f.messages.shown.isEmpty()) << "silently";
    EXPECT_EQ(w.cboProfile->currentText(), w.cboProfile->itemText(0));
    EXPECT_EQ(w.cboProfile->currentIndex(), 0);
    EXPECT_EQ(f.profile.Security.LoginMode, workFirst ? 3 : 1) << "the first profile is open again";
    EXPECT_TRUE(w.lblLoggedIn->text().isEmpty());
    EXPECT_TRUE(w.txtpass->text().isEmpty());
    EXPECT_FALSE(w.cmdAlpha->isVisible());
    EXPECT_TRUE(w.UCLoginBtn->isVisible());
    EXPECT_EQ(w.focusWidget(), workFirst ? w.txtPin : w.txtpass)
        << "the last box its login mode shows";
    EXPECT_TRUE(w.close()) << "nothing unsaved any more";
}

TEST(Lock, LockImageDoesNothingBeforeLogin) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.start();
    f.type(w.txtUser, QStringLiteral("alice"));
    QTest::mouseClick(w.imgLock, Qt::LeftButton);
    EXPECT_EQ(w.txtUser->text(), QStringLiteral("alice"));
}

TEST(PopupTimer, ClosesThePopupAtItsFirstTick) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(1);
    QTest::mousePress(w.UCPopBtn, Qt::LeftButton);
    ASSERT_TRUE(w.hasPopup());
    EXPECT_TRUE(w.popup()->isVisible());
    EXPECT_TRUE(w.tmrPass->isActive());
    w.tmrPass_Timer();
    EXPECT_FALSE(w.popup()->isVisible());
    EXPECT_FALSE(w.tmrPass->isActive());
}

} // namespace

namespace {

TEST(AutoLock, SwitchedOffNeverLocks) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    ASSERT_FALSE(w.tmrLock->isActive());
    w.tmrLock->start(); // whatever started it
    f.clock.time = f.clock.time.addDays(1);
    w.tmrLock_Timer();
    EXPECT_TRUE(f.session.LoginOK);
    EXPECT_FALSE(w.tmrLock->isActive());
}

// Nothing of the profile stays in sight after a lock: popup and setup close
// (setup's changes dropped) and the copied password leaves the clipboard.
TEST(Lock, ClosesPopupAndSetupAndTakesBackTheClipboard) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(1);
    QTest::mousePress(w.UCPopBtn, Qt::LeftButton);
    ASSERT_TRUE(w.popup()->isVisible());
    QTest::mouseClick(w.popup()->ImgPass, Qt::LeftButton);
    ASSERT_EQ(QGuiApplication::clipboard()->text(), f.record(1)[PasswordRecord::Password]);
    SetupWindow* setup = w.setupWindow();
    setup->show();
    f.type(setup->txtPassword, QStringLiteral("half typed"));

    QTest::mouseClick(w.imgLock, Qt::LeftButton);
    EXPECT_FALSE(f.session.LoginOK);
    EXPECT_FALSE(w.popup()->isVisible());
    EXPECT_FALSE(setup->isVisible());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
    EXPECT_TRUE(f.messages.shown.isEmpty()) << "nothing asked, nothing saved";
    EXPECT_EQ(f.profile.Security.Password, QStringLiteral("S3cret pass"));
}

} // namespace
