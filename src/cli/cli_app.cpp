#include "cli_app.h"

#include "store/csv.h"
#include "store/record_import.h"
#include "cli/json_dump.h"
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/folder_access.h"
#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "store/login_check.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "store/waiting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>

#include <termios.h>
#include <unistd.h>

namespace tavrino {
namespace {

const char* const Usage =
    "Usage: tavrino-cli COMMAND [ARGS] [--database DIR]\n"
    "\n"
    "Commands:\n"
    "  list                     the profiles of the database folder, one a line\n"
    "  create NAME [--sealed]   a new profile with the default settings (password QUILT)\n"
    "  dump NAME                the whole profile as JSON, after its login\n"
    "  export NAME --csv        the records as CSV, after the profile's login\n"
    "  import NAME FILE.csv     append the records of a CSV file, after the login\n"
    "  init                     create missing settings, the database folder and a first profile\n"
    "  merge NAME FILE          add what another copy of the profile has, after the login\n"
    "  fix-access               give every profile the rights of the database folder\n"
    "  seal NAME                make NAME.dat a sealed profile, after its login\n"
    "  unseal NAME              make a sealed profile NAME.dat again, after its login\n"
    "\n"
    "The database folder is the \"Database\" setting unless --database is given.\n"
    "Credentials are read from standard input, one a line: the user ID when the\n"
    "profile's login mode asks for it, the password, then the PIN when asked.\n"
    "Run 'tavrino-cli COMMAND --help' for one command.\n";

struct CommandHelp {
    const char* name;
    const char* text;
};

const CommandHelp CommandHelps[] = {
    {"list", "Usage: tavrino-cli list [--database DIR]\nPrints the profile names of the database "
             "folder, one a line.\n"},
    {"create", "Usage: tavrino-cli create NAME [--sealed] [--database DIR]\nCreates NAME.dat with "
               "the defaults of a new profile:\nlogin mode 1, password QUILT, one secret question.\n"
               "With --sealed, NAME.sealed instead: useless without its login, and not seen\n"
               "by the Windows version of Tavrino.\n"},
    {"dump", "Usage: tavrino-cli dump NAME [--database DIR]\nAfter the profile's login "
             "(credentials on standard input, one a line),\nprints settings, categories, "
             "questions, records and change stamp as JSON.\n"},
    {"seal", "Usage: tavrino-cli seal NAME [--database DIR]\nAfter the profile's login, writes it "
             "as NAME.sealed, useless without the login,\nand removes NAME.dat. The Windows version "
             "of Tavrino does not see a sealed profile.\n"},
    {"unseal", "Usage: tavrino-cli unseal NAME [--database DIR]\nAfter the login, writes the "
               "sealed profile NAME as NAME.dat again\n(readable by the Windows version, and by "
               "whoever holds the file).\n"},
    {"export",
     "Usage: tavrino-cli export NAME --csv [--database DIR]\nAfter the profile's login, prints the "
     "records as CSV (RFC 4180) with a\nheader row of the eight field names.\n"},
    {"import",
     "Usage: tavrino-cli import NAME FILE.csv [--database DIR]\nAfter the profile's login, appends "
     "the records of FILE.csv (header row of\nthe eight field names) and saves the profile once. "
     "Categories the records\nname that the profile lacks are added.\n"},
    {"init",
     "Usage: tavrino-cli init [--database DIR]\nCreates the settings Database, Timer and Startup "
     "where missing, the\ndatabase folder, and a profile \"Default\" when the folder has none.\n"
     "With --database, DIR becomes the database folder (the setting is changed\nwhen it named "
     "another one, and init says so).\n"},
    {"merge",
     "Usage: tavrino-cli merge NAME FILE [--database DIR]\nAfter the profile's login, adds what "
     "FILE, another copy of the profile (a\nbackup, a copy from another folder, a sync tool's "
     "conflict copy), has and\nNAME lacks: records and categories. Nothing is removed. A record "
     "the two\ncopies hold in different versions is kept in both, and named in the report.\n"},
    {"fix-access",
     "Usage: tavrino-cli fix-access [--database DIR]\nGives every profile (and the error log) in "
     "the database folder the rights a\nnew one gets there: read and write for the owner, and "
     "for the folder's group\nwhen the folder is group-writable; never for others. Run it after "
     "sharing\nthe folder with a group (chgrp TEAM DIR && chmod 2770 DIR).\n"},
};

// Messages become one line of text each; a question is answered No.
class CollectedMessages : public MessageService {
public:
    using MessageService::show;
    MsgAnswer show(const Message& message) override {
        QString text = message.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        texts << text.simplified();
        return message.buttons == MsgButtons::YesNo || message.buttons == MsgButtons::YesNoCancel
                   ? MsgAnswer::No
                   : MsgAnswer::Ok;
    }
    QStringList texts;
};

class Failure {
public:
    explicit Failure(QString message, int status = 1) : text(std::move(message)), code(status) {}
    QString text;
    int code;
};

// Pauses between save attempts: the program's 3000 ms unless TAVRINO_PAUSE_MS says otherwise.
class CliPause : public PauseService {
public:
    void pause(int milliseconds) override {
        bool ok = false;
        const int configured = qEnvironmentVariableIntValue("TAVRINO_PAUSE_MS", &ok);
        SleepingPause().pause(ok ? configured : milliseconds);
    }
};

// The terminal's echo is off while a secret is typed, and comes back
// however the prompt ends: an answer, Ctrl-C or a kill.
class QuietTerminal {
public:
    QuietTerminal() {
        if (tcgetattr(STDIN_FILENO, &s_saved) != 0) return;
        s_active = 1;
        struct sigaction restore {};
        restore.sa_handler = &QuietTerminal::onSignal;
        sigemptyset(&restore.sa_mask);
        for (int i = 0; i < 3; ++i)
            sigaction(Signals[i], &restore, &m_previous[i]);
        termios quiet = s_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    ~QuietTerminal() {
        if (!s_active) return;
        tcsetattr(STDIN_FILENO, TCSANOW, &s_saved);
        s_active = 0;
        for (int i = 0; i < 3; ++i)
            sigaction(Signals[i], &m_previous[i], nullptr);
    }
    QuietTerminal(const QuietTerminal&) = delete;
    QuietTerminal& operator=(const QuietTerminal&) = delete;

private:
    static constexpr int Signals[3] = {SIGINT, SIGTERM, SIGHUP};
    static void onSignal(int signal) {
        // Only what may run in a signal handler: put the echo back, then
        // end the way the signal would have.
        if (s_active) tcsetattr(STDIN_FILENO, TCSANOW, &s_saved);
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    static inline termios s_saved{};
    static inline volatile sig_atomic_t s_active = 0;
    struct sigaction m_previous[3]{};
};

struct Context {
    QTextStream& in;
    QTextStream& out;
    QTextStream& err;
    Clock clock;
    CliPause pause;
    CollectedMessages messages;
    ErrorLog log{&clock};
    TextCipher cipher{&log, &messages};
    SettingsStore settings;
    Profile profile;
    ProfileStore store{profile, log, cipher, clock};
    ProfileManager manager{store, settings, messages};
    WaitingStore waiting{store, pause, messages};

    Context(QTextStream& i, QTextStream& o, QTextStream& e, const QString& appFolder)
        : in(i), out(o), err(e), settings(SettingsStore::defaultPath(), appFolder, &messages) {
        // A damaged file ends the read, never the tool.
        cipher.setEndingHandler([] {});
        // For scripts and tests that can't wait two minutes for a save
        // that was cut off to count as abandoned.
        bool ok = false;
        const qint64 abandonedMs = qEnvironmentVariableIntValue("TAVRINO_ABANDONED_MS", &ok);
        if (ok && abandonedMs >= 0) store.saveWatch().setAbandonedAfterMs(abandonedMs);
    }

    void useFolder() { store.setDatabaseFolder(settings.GetDatabaseFolder()); }

    [[noreturn]] void failWithMessages(const QString& what) {
        throw Failure(
            messages.texts.isEmpty() ? what : what + QStringLiteral(": ") + messages.texts.first());
    }

    // Saves the open profile; another workstation's save meanwhile is merged
    // with it, and said on stderr.
    void save(const QString& name) {
        messages.texts.clear();
        const SaveOutcome outcome = waiting.save();
        if (outcome != SaveOutcome::Saved && outcome != SaveOutcome::Merged)
            failWithMessages(QStringLiteral("profile '%1' was not saved").arg(name));
        if (outcome == SaveOutcome::Merged) {
            err << QStringLiteral("%1: saved together with another workstation's save made "
                                  "meanwhile")
                       .arg(name);
            if (waiting.keptBoth() > 0)
                err << QStringLiteral("; %1 records changed on both sides are kept in both versions")
                           .arg(waiting.keptBoth());
            err << "\n" << Qt::flush;
        }
    }

    void open(const QString& name) {
        useFolder();
        if (!ProfileManager::isUsableName(name) || name.isEmpty())
            throw Failure(QStringLiteral("'%1' is not a profile name").arg(name));
        messages.texts.clear();
        const bool loaded = waiting.open(manager, name);
        if (!loaded || !messages.texts.isEmpty())
            failWithMessages(QStringLiteral("cannot read profile '%1'").arg(name));
    }

    QString readLine(const QString& prompt) {
        const bool tty = isatty(STDIN_FILENO);
        std::optional<QuietTerminal> quiet;
        if (tty) {
            // Echo off before the prompt: nothing typed at once is shown.
            quiet.emplace();
            err << prompt << Qt::flush;
        }
        QString line = in.readLine();
        if (tty) {
            quiet.reset();
            err << "\n" << Qt::flush;
        }
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        return line;
    }

    void login() {
        const int mode = profile.Security.LoginMode;
        const QString user = mode >= 2 ? readLine(QStringLiteral("User ID: ")) : QString();
        const QString password = readLine(QStringLiteral("Password: "));
        const QString pin = mode == 3 ? readLine(QStringLiteral("PIN: ")) : QString();
        // A sealed profile is read again at its login, as a save waits.
        bool loggedIn = false;
        messages.texts.clear();
        runWaiting(pause, [&](bool last) {
            return store.tryLogIn([&] { return store.logIn(user, password, pin); }, last, loggedIn);
        });
        waiting.showNotices();
        // What the read met (in use elsewhere, no memory) is no wrong login.
        if (!loggedIn && !messages.texts.isEmpty())
            failWithMessages(QStringLiteral("cannot log into profile '%1'").arg(profile.name()));
        if (!loggedIn)
            throw Failure(
                QStringLiteral("the details are incorrect for profile '%1'").arg(profile.name()));
    }
};

QJsonObject recordObject(const QString& line) {
    const PasswordRecord r = PasswordRecord::fromLine(line);
    QJsonObject o;
    for (int i = 0; i < PasswordRecord::FieldCount; ++i)
        o.insert(PasswordRecord::fieldNames()[i], r.fields[i]);
    return o;
}

int dump(Context& c, const QString& name) {
    c.open(name);
    c.login();
    writeProfileJson(c.profile,
                     [&](const QByteArray& piece) { c.out << QString::fromUtf8(piece); });
    return 0;
}

int exportCsv(Context& c, const QString& name) {
    c.open(name);
    c.login();
    c.out << QString::fromUtf8(tavrino::exportCsv(c.profile));
    return 0;
}

int importCsv(Context& c, const QString& name, const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString()));
    const RecordImport import = RecordImport::read(file.readAll(), QDate::currentDate());
    if (!import.error.isEmpty()) throw Failure(QStringLiteral("%1: %2").arg(fileName, import.error));
    c.open(name);
    c.login();
    const ImportOutcome outcome = addImported(c.profile, import.records);
    if (outcome.added > 0) c.save(name);
    c.out << importReport(import, outcome) << "\n";
    return 0;
}

int create(Context& c, const QString& name, bool sealed) {
    c.useFolder();
    if (!c.manager.CreateProfile(name, sealed))
        c.failWithMessages(QStringLiteral("profile '%1' was not created").arg(name));
    return 0;
}

int convert(Context& c, const QString& name, bool sealed) {
    c.open(name);
    if (c.store.isSealed() == sealed)
        throw Failure(QStringLiteral("profile '%1' is %2 already").arg(name, sealed ? QStringLiteral("sealed") : QStringLiteral("not sealed")));
    c.login();
    c.messages.texts.clear();
    if (!c.waiting.convertTo(sealed))
        c.failWithMessages(QStringLiteral("profile '%1' was not %2").arg(name, sealed ? QStringLiteral("sealed") : QStringLiteral("unsealed")));
    if (!c.store.leftBehind().isEmpty())
        c.failWithMessages(QStringLiteral("profile '%1' is now %2, but not cleanly")
                               .arg(name, c.profile.ProfileFileName));
    c.out << QStringLiteral("%1 is now %2\n").arg(name, c.profile.ProfileFileName);
    return 0;
}

int list(Context& c) {
    const QStringList names = c.manager.ListProfiles();
    for (const QString& n : names) {
        c.out << n;
        if (ProfileManager::isAmbiguous(c.store.databaseFolder(), n))
            c.out << QStringLiteral(" (both %1.dat and %1.sealed are there: neither opens until "
                                    "one of them is moved out of the folder)")
                         .arg(n);
        c.out << "\n";
    }
    // Marked, with what to do about them.
    for (const QString& copy : ProfileManager::conflictCopies(c.store.databaseFolder()))
        c.out << QStringLiteral("%1 (a sync tool's conflict copy of %2: tavrino-cli merge %2 \"%1\")\n")
                     .arg(copy, ProfileManager::conflictCopyOf(copy));
    return 0;
}

QString recordName(const QString& line) {
    const PasswordRecord r = PasswordRecord::fromLine(line);
    return r[PasswordRecord::Description].isEmpty() ? r[PasswordRecord::UserCode]
                                                     : r[PasswordRecord::Description];
}

int mergeCopy(Context& c, const QString& name, const QString& file) {
    c.open(name);
    c.login();
    ProfileContent copy;
    // As given, else as the list names it: a file in the database folder.
    const QString path = QFileInfo::exists(file) ? QFileInfo(file).absoluteFilePath()
                                                 : c.store.pathOf(file);
    const QString why = c.store.readCopy(path, copy);
    if (!why.isEmpty()) throw Failure(QStringLiteral("cannot merge %1: %2").arg(file, why));
    const MergeResult result = c.store.takeCopy(copy);
    if (result.added > 0 || result.settingsTaken) c.save(name);
    c.out << QStringLiteral("merged %1 into %2: %3 records added, %4 already there, %5 kept in "
                            "both versions\n")
                 .arg(file, name)
                 .arg(result.added)
                 .arg(copy.Records.count() - result.added)
                 .arg(result.conflicts.size());
    for (const MergeConflict& conflict : result.conflicts)
        c.out << QStringLiteral("could not decide: \"%1\" differs in the two copies; both versions "
                                "are kept\n")
                     .arg(recordName(conflict.mine));
    return 0;
}

int fixAccess(Context& c) {
    c.useFolder();
    const QString folder = c.store.databaseFolder();
    const NewFileAccess access = NewFileAccess::forFolder(folder);
    const QString rule = access.shareWithGroup ? QStringLiteral("owner and the folder's group")
                                               : QStringLiteral("owner only");
    QStringList refused;
    const QStringList files = QDir(folder).entryList(
        {QStringLiteral("*.dat"), QStringLiteral("*.sealed"), QStringLiteral("TavrinoErrors.log")},
        QDir::Files | QDir::Hidden | QDir::CaseSensitive, QDir::Name);
    for (const QString& file : files) {
        if (access.applyToFile(folder + QLatin1Char('/') + file))
            c.out << QStringLiteral("%1: %2\n").arg(file, rule);
        else
            refused << QStringLiteral("%1 (%2)").arg(file, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!refused.isEmpty())
        throw Failure(QStringLiteral("could not change %1; its owner can run this command")
                          .arg(refused.join(QStringLiteral(", "))));
    return 0;
}

int init(Context& c, const QString& folderOption) {
    const QString folder =
        folderOption.isEmpty() ? SettingsStore::defaultDatabaseFolder() : folderOption;
    if (!c.settings.createMissingKeys(folder))
        throw Failure(QStringLiteral("cannot write the settings file %1").arg(c.settings.path()));
    const QString before = c.settings.GetDatabaseFolder();
    if (!folderOption.isEmpty() && QDir(before) != QDir(folderOption)) {
        const QString chosen = QFileInfo(folderOption).absoluteFilePath();
        if (!c.settings.WriteSetting(QStringLiteral("Database"), chosen))
            throw Failure(QStringLiteral("cannot write the settings file %1").arg(c.settings.path()));
        c.out << QStringLiteral("database folder switched from %1 to %2\n").arg(before, chosen);
    }
    const QString database = c.settings.GetDatabaseFolder();
    const bool existed = QFileInfo::exists(database);
    if (!QDir().mkpath(database))
        throw Failure(QStringLiteral("cannot create the database folder %1").arg(database));
    // Passwords live here: a folder we make is the user's alone. Sharing it
    // with a group is the user's choice (chmod g+rwx), and new profiles follow.
    if (!existed)
        QFile::setPermissions(database, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    c.useFolder();
    if (ProfileManager::scan(database).isEmpty()) {
        if (!c.manager.CreateProfile(QStringLiteral("Default")))
            c.failWithMessages(QStringLiteral("cannot create the first profile"));
        c.out << QStringLiteral("created profile Default in %1 (password QUILT)\n").arg(database);
    }
    c.out << QStringLiteral("settings: %1\ndatabase folder: %2\n").arg(c.settings.path(), database);
    return 0;
}

} // namespace

int runCli(const QStringList& arguments, QTextStream& in, QTextStream& out, QTextStream& err,
           const QString& applicationFolder) {
    QStringList args;
    QString database;
    bool help = false;
    bool csv = false;
    bool sealed = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--database") {
            if (i + 1 >= arguments.size()) {
                err << "tavrino-cli: --database needs a folder\n";
                return 2;
            }
            database = arguments[++i];
        } else if (a == u"--help" || a == u"-h") {
            help = true;
        } else if (a == u"--csv") {
            csv = true;
        } else if (a == u"--sealed") {
            sealed = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            err << "tavrino-cli: unknown option " << a << "\n";
            return 2;
        } else {
            args << a;
        }
    }
    const QString command = args.value(0);
    if (help) {
        for (const CommandHelp& h : CommandHelps)
            if (command == QLatin1String(h.name)) {
                out << h.text;
                return 0;
            }
        out << Usage;
        return 0;
    }
    const int needed = command == u"import" || command == u"merge" ? 3
                       : (command == u"list" || command == u"init" || command == u"fix-access")
                           ? 1
                           : 2;
    const bool known =
        std::any_of(std::begin(CommandHelps), std::end(CommandHelps),
                    [&](const CommandHelp& h) { return command == QLatin1String(h.name); });
    if (!known || args.size() != needed || (command == u"export" && !csv) ||
        (sealed && command != u"create")) {
        err << (known ? QStringLiteral(
                            "tavrino-cli: wrong arguments for %1; see tavrino-cli %1 --help\n")
                            .arg(command)
                : command.isEmpty()
                    ? QStringLiteral("tavrino-cli: no command given; see tavrino-cli --help\n")
                    : QStringLiteral("tavrino-cli: unknown command %1; see tavrino-cli --help\n")
                          .arg(command));
        return 2;
    }

    Context c(in, out, err, applicationFolder);
    if (!database.isEmpty() && command != u"init") c.settings.overrideDatabaseFolder(database);
    try {
        if (command == u"list") return list(c);
        if (command == u"create") return create(c, args[1], sealed);
        if (command == u"dump") return dump(c, args[1]);
        if (command == u"seal" || command == u"unseal") return convert(c, args[1], command == u"seal");
        if (command == u"export") return exportCsv(c, args[1]);
        if (command == u"import") return importCsv(c, args[1], args[2]);
        if (command == u"merge") return mergeCopy(c, args[1], args[2]);
        if (command == u"fix-access") return fixAccess(c);
        return init(c, database);
    } catch (const Failure& f) {
        err << "tavrino-cli: " << f.text << "\n";
        return f.code;
    }
}

} // namespace tavrino
