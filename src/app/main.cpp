// The start procedure: one copy per user, then the vault window.
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/core_dumps.h"
#include "shell/error_log.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "store/version_shelf.h"
#include "ui/common/address_service.h"
#include "ui/common/message_box_service.h"
#include "ui/common/session_state.h"
#include "ui/common/store_runner.h"
#include "ui/desktop/getting_started.h"
#include "ui/desktop/prepared_pictures.h"
#include "ui/desktop/session_lock_watch.h"
#include "ui/desktop/sys_tray.h"
#include "ui/vault/vault_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScreen>
#include <QTimer>

#include <cstdlib>
#include <future>
#include <memory>

using namespace tavrino;

namespace {
// On a Wayland desktop the program runs through XWayland unless told
// otherwise: the record popup must stay above the program the user pastes
// into, and only X11 has "always on top". TAVRINO_NATIVE_WAYLAND=1 (or
// QT_QPA_PLATFORM) chooses native Wayland; without XWayland it is native.
void chooseDisplayPlatform() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == u"wayland";
    if (wayland && qEnvironmentVariableIsSet("DISPLAY") &&
        qEnvironmentVariable("TAVRINO_NATIVE_WAYLAND") != u"1")
        qputenv("QT_QPA_PLATFORM", "xcb");
}
} // namespace

int main(int argc, char** argv) {
    keepSecretsOutOfCoreDumps();
    chooseDisplayPlatform();
    PreparedPictures::addBuiltIn();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrino"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));
    // The program ends with the vault window, not with whichever window
    // closes last (the popup may close while the vault sits in the tray).
    QApplication::setQuitOnLastWindowClosed(false);

    MessageBoxService messages;
    SingleInstance instance;
    if (instance.IsPrevInstance()) {
        // The running copy brings its window forward; only one that can not
        // be reached is reported.
        if (InstanceDoorbell::ring()) return 0;
        messages.show(QStringLiteral("Tavrino is already running!"),
                      QStringLiteral("Second Instance"), MsgIcon::Critical);
        return 0;
    }
    InstanceDoorbell doorbell;
    doorbell.listen();
    // While the window is built, other cores decode its pictures and read the
    // desktop's font list (the first text widget would read it); both are
    // done before the application ends.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        VaultWindow::readPicturesAhead(screen->devicePixelRatio());
    auto fontList = std::async(std::launch::async, [] { QFontDatabase::families(); });

    Clock clock;
    DesktopAddressService addresses;
    SettingsStore settings(SettingsStore::defaultPath(), QCoreApplication::applicationDirPath(),
                           &messages);
    ErrorLog log(&clock);
    log.setFolder(settings.GetDatabaseFolder());
    TextCipher cipher(&log, &messages);
    // An undecryptable profile line ends the program at once, saving nothing.
    cipher.setEndingHandler([] { std::_Exit(EXIT_FAILURE); });
    Profile profile;
    ProfileStore store(profile, log, cipher, clock);
    const VersionShelf shelf;
    store.setVersionShelf(&shelf);
    ProfileManager profiles(store, settings, messages);
    profiles.readAheadFirstProfile();
    StoreRunner runner(store, profiles, messages);
    SessionState session;
    VaultServices services{profile, store,    profiles, runner,    settings,
                           log,     messages, clock,    addresses, session};

    // The vault locks with the desktop session and before the machine sleeps:
    // watched from the first login on, as there is nothing to lock before it
    // (connecting to the message buses was a twentieth of the start).
    std::unique_ptr<SessionLockWatch> sessionWatch;
    VaultWindow vault(services);
    vault.showGettingStarted = [&] {
        GettingStartedWindow tip(settings, addresses);
        tip.exec();
    };
    TrayIcon* tray = nullptr;
    vault.setupTray = [&] {
        // Only where there is a notification area (Wayland desktops may have
        // none): the window then goes to the task bar instead.
        if (!TrayIcon::available()) return;
        tray = new TrayIcon(messages);
        tray->setWindow(&vault);
        tray->setTooltip(QStringLiteral("Tavrino Password Manager"));
        QObject::connect(tray, &TrayIcon::lockRequested, &vault, &VaultWindow::lockVault);
    };
    vault.removeTray = [&] {
        if (!tray) return;
        tray->removeIcon();
        // Not at once: the tray's own Exit may be what is closing the window.
        tray->deleteLater();
        tray = nullptr;
    };
    // Hidden only where the notification area can bring the window back.
    vault.canHideToTray = [&] { return tray && tray->iconShown() && TrayIcon::available(); };
    QObject::connect(&vault, &VaultWindow::loggedIn, &vault, [&] {
        if (sessionWatch) return;
        sessionWatch = std::make_unique<SessionLockWatch>();
        QObject::connect(sessionWatch.get(), &SessionLockWatch::sessionLocked, &vault,
                         &VaultWindow::lockIfLoggedIn);
    });
    QObject::connect(&doorbell, &InstanceDoorbell::rung, &vault, &VaultWindow::comeForward);
    QObject::connect(&vault, &VaultWindow::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    vault.load();
    vault.show();
    vault.focusFirstLoginBox();
    // Start-up measurements: the program ends once its first window is up.
    if (qEnvironmentVariableIsSet("TAVRINO_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
