#include "vault_fixture.h"

#include "ui/desktop/session_lock_watch.h"

#include <QDBusConnection>
#include <QProcess>

#include "ui/common/long_message_dialog.h"
#include "ui/common/message_box_service.h"
#include "ui/desktop/getting_started.h"
#include "ui/desktop/sys_tray.h"

#include <QAction>
#include <QMessageBox>
#include <QTimer>
#include <QScreen>
#include <QPushButton>
#include <QClipboard>
#include <QCheckBox>
#include <QMenu>
#include <QSignalSpy>

using namespace tavrino;
using namespace tavrino::test;

namespace {

// The tray menu's entry whose text (without its mnemonic) starts so.
QAction* menuAction(const TrayIcon& tray, const char* text) {
    for (QAction* a : tray.menu()->actions())
        if (a->text().remove(QLatin1Char('&')).startsWith(QLatin1String(text))) return a;
    throw std::logic_error(text);
}

TEST(Tray, MenuStatesFollowTheWindow) {
    EXPECT_EQ(trayMenuStates(false, 0), (TrayMenuStates{true, true, false}));
    EXPECT_EQ(trayMenuStates(true, 0), (TrayMenuStates{true, false, true}));
    EXPECT_EQ(trayMenuStates(true, 1), (TrayMenuStates{true, true, false}));
    EXPECT_EQ(trayMenuStates(true, 2), (TrayMenuStates{false, false, true}));
    EXPECT_EQ(trayMenuStates(true, 0, false), (TrayMenuStates{false, false, true}));
    EXPECT_EQ(trayMenuStates(false, 0, false), (TrayMenuStates{false, true, false}));
}

TEST(Tray, TooltipAndMenu) {
    ScriptedMessages messages;
    TrayIcon tray(messages);
    EXPECT_EQ(tray.tooltip(), QStringLiteral("Tavrino Password Manager"));
    EXPECT_EQ(menuAction(tray, "About Tavrino")->text(), QStringLiteral("About Tavrino"));
    QStringList entries;
    for (QAction* a : tray.menu()->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(entries, QStringList({QStringLiteral("About Tavrino"), QStringLiteral("-"),
                                    QStringLiteral("Ma&ximize"), QStringLiteral("&Restore"),
                                    QStringLiteral("&Minimize"), QStringLiteral("-"),
                                    QStringLiteral("&Lock"), QStringLiteral("&Exit")}));
}

TEST(Tray, AboutShowsTheVersion) {
    ScriptedMessages messages;
    TrayIcon tray(messages);
    menuAction(tray, "About Tavrino")->trigger();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Tavrino Password Manager Version 3.0"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("About"));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
}

TEST(Tray, EventsAndTheRestoreAfterMinimize) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    TrayIcon tray(f.messages);
    tray.setWindow(&w);
    tray.activate(QSystemTrayIcon::DoubleClick); // on a visible, normal window
    EXPECT_TRUE(w.isVisible());
    tray.activate(QSystemTrayIcon::Trigger);
    tray.activate(QSystemTrayIcon::MiddleClick);
    EXPECT_TRUE(w.isVisible());

    menuAction(tray, "Minimize")->trigger();
    EXPECT_FALSE(w.isVisible());
    emit tray.menu()->aboutToShow(); // the tray shows its menu
    EXPECT_TRUE(menuAction(tray, "Restore")->isEnabled());
    EXPECT_FALSE(menuAction(tray, "Minimize")->isEnabled());
    EXPECT_FALSE(menuAction(tray, "Maximize")->isEnabled()) << "the vault has one size";
    tray.activate(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isMinimized());
}

// One click shows or hides the window, as trays elsewhere do; the clicks of
// a double click are no single ones, and it brings the window back. Lock
// asks the window to lock.
TEST(Tray, ASingleClickShowsOrHidesTheWindow) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    TrayIcon tray(f.messages);
    tray.setWindow(&w);
    const int settle = QApplication::doubleClickInterval() + 100;
    tray.activate(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(w.isVisible()) << "not before a second click could come";
    QTest::qWait(settle);
    EXPECT_FALSE(w.isVisible());
    tray.activate(QSystemTrayIcon::Trigger);
    QTest::qWait(settle);
    EXPECT_TRUE(w.isVisible());

    menuAction(tray, "Minimize")->trigger();
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Trigger})
        tray.activate(reason);
    QTest::qWait(settle);
    EXPECT_TRUE(w.isVisible()) << "a double click brings it back, and it stays";

    QSignalSpy locks(&tray, &TrayIcon::lockRequested);
    menuAction(tray, "Lock")->trigger();
    EXPECT_EQ(locks.count(), 1);
}

// A refused Exit leaves the icon and shows the window: hiding the window
// afterwards can't strand the user with no way back.
TEST(Tray, ExitWithUnsavedChangesKeepsTheWindowAndTheIcon) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    TrayIcon tray(f.messages);
    tray.setWindow(&w);
    ASSERT_TRUE(tray.iconShown());
    w.recordPanel().setDirty(true);
    menuAction(tray, "Minimize")->trigger();
    menuAction(tray, "Exit")->trigger();
    EXPECT_TRUE(tray.iconShown());
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("You have unsaved changes!")});
    EXPECT_TRUE(w.isVisible()) << "not left hidden";
    // The vault's hide image, as the program wires it: hidden only while
    // an icon can bring it back, and it does.
    w.canHideToTray = [&] { return tray.iconShown(); };
    QTest::mouseClick(f.image("Hide Tavrino"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    tray.activate(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.isVisible()) << "the icon still brings it back";
}

TEST(GettingStarted, TextsAndTheSettingWrittenOnClose) {
    for (const bool hide : {false, true}) {
        VaultFixture f({QStringLiteral("Home")});
        GettingStartedWindow tip(f.settings, f.addresses);
        EXPECT_EQ(tip.windowTitle(), QStringLiteral("Getting Started"));
        EXPECT_EQ(tip.findChild<QLabel*>(QStringLiteral("passwordTip"))->text(),
                  QStringLiteral("Enter 'QUILT' as the default password - click 'LOGIN'"));
        EXPECT_EQ(tip.findChild<QLabel*>(QStringLiteral("helpTip"))->text(),
                  QStringLiteral("To open the help file click on the HELP button when application "
                                 "is started or click on "
                                 "the'Quick Guide' button on the right!\r\nThis requires the FREE "
                                 "Adobe Acrobat Reader that "
                                 "can be downoaded from the link at the bottom of this screen!"));
        EXPECT_FALSE(named<QCheckBox>(&tip, QStringLiteral("Hide at Startup"))->isChecked());
        EXPECT_EQ(named<QPushButton>(&tip, QStringLiteral("Quick Guide"))->toolTip(),
                  QStringLiteral("Launch Quick Start Guide (Requires Adobe Reader)"));
        tip.show();
        QTest::mouseClick(named<QPushButton>(&tip, QStringLiteral("Quick Guide")), Qt::LeftButton);
        QTest::mouseClick(named<QPushButton>(&tip, QStringLiteral("Get Free Adobe Acrobat Reader")), Qt::LeftButton);
        EXPECT_EQ(f.addresses.opened,
                  QStringList({f.appDir.filePath(QStringLiteral("QuickStartGuide.pdf")),
                               GettingStartedWindow::ReaderDownloadPage}));
        EXPECT_TRUE(tip.isVisible());
        if (hide) named<QCheckBox>(&tip, QStringLiteral("Hide at Startup"))->click();
        QTest::mouseClick(named<QPushButton>(&tip, QStringLiteral("OK")), Qt::LeftButton);
        QString startup;
        f.settings.ReadSetting(QStringLiteral("Startup"), startup);
        EXPECT_EQ(startup, hide ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

} // namespace

namespace {

// A bus of the test's own stands in for both the system and the session bus.
struct PrivateBus {
    QProcess daemon;
    QString address;
    PrivateBus() {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address")});
        if (daemon.waitForStarted() && daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("tavrino-test"));
        daemon.kill();
        daemon.waitForFinished();
    }
    void emitSignal(const QString& path, const QString& member, const QString& argument = {}) {
        QStringList args{QStringLiteral("--bus=") + address, QStringLiteral("--type=signal"), path,
                         member};
        if (!argument.isEmpty()) args << argument;
        QProcess::execute(QStringLiteral("dbus-send"), args);
    }
};

TEST(SessionLock, LogindAndScreenSaverSignalsLockTheVault) {
    PrivateBus bus;
    if (bus.address.isEmpty()) GTEST_SKIP() << "dbus-daemon did not start";
    const QDBusConnection connection =
        QDBusConnection::connectToBus(bus.address, QStringLiteral("tavrino-test"));
    ASSERT_TRUE(connection.isConnected());
    SessionLockWatch watch(connection, connection);
    EXPECT_EQ(watch.listening(), 4);

    VaultFixture f({QStringLiteral("Work")});
    QSignalSpy locks(&watch, &SessionLockWatch::sessionLocked);
    const struct {
        QString path, member, argument;
        bool locks;
    } cases[] = {
        {QStringLiteral("/org/freedesktop/login1/session/_32"),
         QStringLiteral("org.freedesktop.login1.Session.Lock"), QString(), true},
        {QStringLiteral("/org/freedesktop/login1"),
         QStringLiteral("org.freedesktop.login1.Manager.PrepareForSleep"),
         QStringLiteral("boolean:false"), false},
        {QStringLiteral("/org/freedesktop/login1"),
         QStringLiteral("org.freedesktop.login1.Manager.PrepareForSleep"),
         QStringLiteral("boolean:true"), true},
        {QStringLiteral("/org/freedesktop/ScreenSaver"),
         QStringLiteral("org.freedesktop.ScreenSaver.ActiveChanged"),
         QStringLiteral("boolean:true"), true},
        {QStringLiteral("/org/gnome/ScreenSaver"),
         QStringLiteral("org.gnome.ScreenSaver.ActiveChanged"), QStringLiteral("boolean:false"),
         false},
        {QStringLiteral("/org/gnome/ScreenSaver"),
         QStringLiteral("org.gnome.ScreenSaver.ActiveChanged"), QStringLiteral("boolean:true"),
         true},
    };
    for (const auto& c : cases) {
        locks.clear();
        VaultWindow& w = f.loginWork();
        QObject::connect(&watch, &SessionLockWatch::sessionLocked, &w,
                         &VaultWindow::lockIfLoggedIn);
        bus.emitSignal(c.path, c.member, c.argument);
        if (c.locks)
            locks.wait(5000);
        else
            QTest::qWait(300);
        EXPECT_EQ(locks.size(), c.locks ? 1 : 0) << c.member.toStdString();
        EXPECT_EQ(f.session.loginOk, !c.locks) << c.member.toStdString();
    }
}

} // namespace

namespace {

// A short message is a message box: each button answers as its set says,
// a caption of its own replaces a standard one, Escape gives the cancelling
// answer.
TEST(LongMessage, AShortOneIsAMessageBoxAnsweringAsItsButtons) {
    MessageBoxService service;
    Message question{QStringLiteral("Keep it?"), QStringLiteral("Tavrino"), MsgIcon::Question,
                     MsgButtons::YesNoCancel, 1, {QStringLiteral("Keep"), QStringLiteral("Drop")}};
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        named<QPushButton>(box, QStringLiteral("Drop"))->click();
    });
    EXPECT_EQ(service.show(question), MsgAnswer::No);
    question.buttons = MsgButtons::YesNo;
    QTimer::singleShot(0, [] {
        QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(service.show(question), MsgAnswer::No);
}

// A report of many rows (an import) no longer grows a message box past the
// screen: it scrolls in a dialog within the screen, with Copy.
TEST(LongMessage, ScrollsWithinTheScreenAndCopies) {
    QStringList rows;
    for (int i = 1; i <= 60; ++i) rows << QStringLiteral("row %1 (Shop %1): skipped, it has no description").arg(i);
    const QString text = QStringLiteral("Tavrino export: 30 records added, 30 skipped.\n") + rows.join(QLatin1Char('\n'));
    MessageBoxService service;
    QRect shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<LongMessageDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->frameGeometry();
        named<QPushButton>(dialog, QStringLiteral("Copy"))->click();
        named<QPushButton>(dialog, QStringLiteral("OK"))->click();
    });
    EXPECT_EQ(service.show(text, QStringLiteral("Import"), MsgIcon::Information), MsgAnswer::Ok);
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(shown.height(), room.height());
    EXPECT_LE(shown.width(), room.width());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
}

} // namespace
