// The vault window with a 100,000-record profile, as a user meets it:
// LOGIN until the tree shows, the A-Z switch both ways, and SAVE of a
// changed record, each timed on the real widgets (offscreen).
//   build/bin/bench_vault [RECORDS]
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "store/profile_format.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "ui/common/address_service.h"
#include "ui/common/session_state.h"
#include "ui/common/store_runner.h"
#include "ui/common/vault_services.h"
#include "ui/desktop/flat_button.h"
#include "ui/tree/record_tree_view.h"
#include "ui/desktop/flat_button.h"
#include "ui/vault/tree_panel.h"
#include "ui/vault/vault_window.h"

#include "support/widget_lookup.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <cstdio>

using namespace tavrino;

namespace {

class Quiet : public MessageService {
public:
    using MessageService::show;
    MsgAnswer show(const Message& m) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
        return MsgAnswer::Ok;
    }
};
class NoPause : public PauseService {
public:
    void pause(int) override {}
};
class NoAddresses : public AddressService {
public:
    bool open(const QString&) override { return true; }
};

QByteArray profileWith(int records, TextCipher& cipher) {
    Profile p;
    p.resetToNewProfileDefaults();
    for (const char* category : {"Bank", "Web", "Mail", "Work", "Shop"})
        p.Categories.add(Profile::categoryLine(QString::fromLatin1(category)),
                         QString::fromLatin1(category));
    static const char* const categories[] = {"Bank", "Web", "Mail", "Work", "Shop", ""};
    for (int i = 0; i < records; ++i)
        p.Records.add(QStringLiteral("4|%1|%2 account %3|user%3|pw%3|notes %3|%4/%5/2027|"
                                     "https://site%3.example|user%3@mail.example")
                          .arg(QLatin1String(categories[i % 6]))
                          .arg(QChar(u'A' + (i * 7) % 26))
                          .arg(i)
                          .arg(1 + i % 28)
                          .arg(1 + i % 12));
    return ProfileFormat::write(p, 1, QStringLiteral("1.25"), true, cipher);
}

// A figure of /proc/self/status or /proc/self/io, in kB or bytes.
qint64 procFigure(const char* file, const char* name) {
    QFile f(QString::fromLatin1(file));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name)) return line.mid(qstrlen(name)).trimmed().split(' ')[0].toLongLong();
    return -1;
}

// The peak resident size from here on starts at the current size.
void resetPeakMemory() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

double millisecondsOf(const std::function<void()>& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    QApplication::processEvents(); // what the user would wait for: the paint
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("db"));
    QDir().mkpath(db);
    Clock clock;
    Quiet messages;
    NoPause pause;
    NoAddresses addresses;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")), dir.path());
    settings.createMissingKeys(db);
    settings.WriteSetting(QStringLiteral("Startup"), QStringLiteral("0"));
    ErrorLog log(&clock);
    TextCipher cipher(&log, &messages);
    {
        QFile f(db + QStringLiteral("/Many.dat"));
        f.open(QIODevice::WriteOnly);
        f.write(profileWith(records, cipher));
    }
    Profile profile;
    ProfileStore store(profile, log, cipher, clock);
    store.saveWatch().setNotesFolder(dir.filePath(QStringLiteral("notes")));
    ProfileManager profiles(store, settings, messages);
    StoreRunner runner(store, profiles, messages);
    SessionState session;
    VaultServices services{profile, store,    profiles, runner,    settings,
                           log,     messages, clock,    addresses, session};
    VaultWindow vault(services);
    vault.showGettingStarted = [] {};
    const double load = millisecondsOf([&] {
        vault.load();
        vault.show();
    });
    using test::named;
    CommandBars& bars = vault.commandBars();
    named<QLineEdit>(&vault, QStringLiteral("Password"))->setText(QStringLiteral("QUILT"));
    const double login =
        millisecondsOf([&] { bars.button(CommandBars::Login)->click(); });
    if (!session.loginOk) return 1;
    auto* grouping = named<QPushButton>(&vault, QStringLiteral("A-Z"));
    const double byCategory = millisecondsOf([&] { grouping->click(); });
    const double byLetter = millisecondsOf([&] { grouping->click(); });
    TreePanel& tree = vault.treePanel();
    tree.view()->setCurrentIndex(tree.model()->indexOfKey(recordKey(records / 2)));
    QTest::keyClick(tree.view(), Qt::Key_Return);
    named<QLineEdit>(&vault, QStringLiteral("Description"))
        ->setText(QStringLiteral("Changed account"));
    const double save = millisecondsOf([&] { bars.button(CommandBars::Save)->click(); });
    if (!profile.ProfileSaved) return 2;
    const qint64 loggedInKb = procFigure("/proc/self/status", "VmRSS:");
    resetPeakMemory();
    const qint64 readBefore = procFigure("/proc/self/io", "rchar:");
    const double storeSave = millisecondsOf([&] { store.save(true); });
    const qint64 readBySave = procFigure("/proc/self/io", "rchar:") - readBefore;
    const qint64 savePeakKb = procFigure("/proc/self/status", "VmHWM:");
    const qint64 fileBytes = QFile(db + QStringLiteral("/Many.dat")).size();
    const double lock = millisecondsOf([&] { vault.lockIfLoggedIn(); });
    std::printf("%d records (%.1f MB file)\n", records,
                static_cast<double>(QFile(db + QStringLiteral("/Many.dat")).size()) / 1e6);
    std::printf("start (list and open)   %7.0f ms\n", load);
    std::printf("LOGIN to tree shown     %7.0f ms   (goal < 500)\n", login);
    std::printf("A-Z to categories       %7.0f ms   (goal < 500)\n", byCategory);
    std::printf("A-Z back to letters     %7.0f ms   (goal < 500)\n", byLetter);
    std::printf("SAVE of a changed record %6.0f ms   (goal < 500)\n", save);
    std::printf("  of which writing the file %5.0f ms\n", storeSave);
    std::printf("LOCK to the login again %7.0f ms   (lock / 267 ms before: %.2f, goal <= 0.5)\n",
                lock, lock / 267.0);
    std::printf("a save reads %.2f x the file (goal <= 2)\n",
                static_cast<double>(readBySave) / static_cast<double>(fileBytes));
    std::printf("save peak / logged-in memory %.2f (%lld / %lld MB, goal <= 1.5)\n",
                static_cast<double>(savePeakKb) / static_cast<double>(loggedInKb),
                savePeakKb / 1024, loggedInKb / 1024);
    return 0;
}
