// The start procedure: one copy per user, then the vault window.
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "ui/common/message_box_service.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdlib>

using namespace tavrino;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrino"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));

    MessageBoxService messages;
    SingleInstance instance;
    if (instance.IsPrevInstance()) {
        messages.show(QStringLiteral("Tavrino is already running!"), QStringLiteral("Second Instance"), MsgIcon::Critical);
        return 0;
    }

    Clock clock;
    SleepingPause pause;
    SettingsStore settings(SettingsStore::defaultPath(), QCoreApplication::applicationDirPath(), &messages);
    ErrorLog log(&clock);
    log.setFolder(settings.GetDatabaseFolder());
    TextCipher cipher(&log, &messages);
    // An undecryptable profile line ends the program at once, saving nothing.
    cipher.setEndingHandler([] { std::_Exit(EXIT_FAILURE); });
    Profile profile;
    ProfileStore store(profile, log, cipher, messages, pause, clock);
    ProfileManager profiles(store, settings, messages);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Tavrino Password Manager"));
    auto* layout = new QVBoxLayout(&window);
    const QStringList names = profiles.ListProfiles();
    layout->addWidget(new QLabel(QStringLiteral("Profiles in %1:\n%2").arg(store.databaseFolder(), names.join(QLatin1Char('\n')))));
    window.resize(360, 446);
    window.show();
    return QApplication::exec();
}
