#include "cli_app.h"

#include "store/record_import.h"
#include "store/record_search.h"
#include "store/date_text.h"
#include "crypto/password_generator.h"
#include "cli/json_dump.h"
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/folder_access.h"
#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/visible_text.h"
#include "store/held_file.h"
#include "store/login_check.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "store/copy_intake.h"
#include "store/folder_listing.h"
#include "store/version_shelf.h"
#include "store/waiting.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QSet>
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

#include <dirent.h>
#include <termios.h>
#include <unistd.h>

#include <cmath>

namespace tavrino {
namespace {

const char* const Usage =
    "Usage: tavrino-cli COMMAND [ARGS] [--database DIR] | --version | --help\n"
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
    "  search NAME WORDS...     the records with every word (not in passwords)\n"
    "  show NAME DESCRIPTION    one record's fields; --password: its password alone\n"
    "  add NAME DESCRIPTION USERCODE  a new record; its password from standard input\n"
    "  edit NAME DESCRIPTION    change a record's fields (options as for add)\n"
    "  rm NAME DESCRIPTION      remove a record\n"
    "  generate                 a random password (--length N, or --words N)\n"
    "  passwd NAME              change the profile's password\n"
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
             "folder, one a line; then the conflict\ncopies sync tools left, and what is named "
             "like a profile but is no regular\nfile (a link, a folder), each marked.\n"},
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
     "Usage: tavrino-cli export NAME --csv [--spreadsheet] [--database DIR]\nAfter the profile's "
     "login, prints the records as CSV (RFC 4180) with a\nheader row of the eight field names, "
     "exactly as password managers read them\nback. --spreadsheet: a cell that begins with =, +, "
     "-, @, a tab or a carriage\nreturn gets a ' in front, so that a spreadsheet shows it instead "
     "of running it.\n"},
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
     "Usage: tavrino-cli merge NAME FILE [--keep] [--database DIR]\nAfter the profile's login, "
     "merges FILE, another copy of the profile (a backup,\na copy from another folder, a sync "
     "tool's conflict copy), into NAME and saves\nit. Against the newest version of NAME this "
     "workstation kept that is older\nthan both, the merge is three-way: what either side "
     "added, changed or deleted\nstays so; a record both changed differently is kept in both "
     "versions. With no\nsuch version, only what FILE has and NAME lacks is added, each record "
     "named.\nA sync tool's conflict copy of NAME in the database folder is removed once\ntaken "
     "in (--keep keeps it); other files stay. Every save takes in such copies\nby itself.\n"},
    {"fix-access",
     "Usage: tavrino-cli fix-access [--database DIR]\nGives every profile (and the error log) in "
     "the database folder the rights a\nnew one gets there: read and write for the owner, and "
     "for the folder's group\nwhen the folder is group-writable; never for others. Run it after "
     "sharing\nthe folder with a group (chgrp TEAM DIR && chmod 2770 DIR).\n"},
    {"search", "Usage: tavrino-cli search NAME WORDS... [--database DIR]\nAfter the login, prints "
               "the records in which every word turns up (description,\nuser code, web site, "
               "e-mail, notes or category; never the password), letter\ncase and accents aside: "
               "description, user code and web site, tab-separated.\n"},
    {"show", "Usage: tavrino-cli show NAME DESCRIPTION [--password] [--database DIR]\nAfter the "
             "login, prints the fields of the record with that description\n(letter case aside), "
             "the password left out; with --password, the password\nalone, for a pipe. Several "
             "records of that description: each is shown.\n"},
    {"add", "Usage: tavrino-cli add NAME DESCRIPTION USERCODE [--category C] [--url U]\n"
            "       [--email E] [--notes N] [--expiry DATE] [--database DIR]\nAfter the login, "
            "reads the password from standard input (the next line)\nand adds the record. A "
            "category the profile lacks is added.\n"},
    {"edit", "Usage: tavrino-cli edit NAME DESCRIPTION [--user U] [--category C] [--url U]\n"
             "       [--email E] [--notes N] [--expiry DATE] [--password] [--database DIR]\n"
             "After the login, changes the given fields of the one record with that\ndescription; "
             "with --password, the new password is the next line of\nstandard input.\n"},
    {"rm", "Usage: tavrino-cli rm NAME DESCRIPTION [--database DIR]\nAfter the login, removes the "
           "one record with that description.\n"},
    {"generate", "Usage: tavrino-cli generate [--length N | --words N]\nPrints a random password: "
                 "N characters (4 to 64) of upper and lower case\nletters, digits and symbols "
                 "(20 without --length), or a passphrase of N words\n(3 to 12) from the system's "
                 "word list. Its strength in bits goes to\nstandard error.\n"},
    {"passwd", "Usage: tavrino-cli passwd NAME [--database DIR]\nAfter the login, reads the new "
               "password twice from standard input and\nsaves the profile with it.\n"},
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

ConflictChoice keepBoth(const MergeConflict&) {
    return ConflictChoice::KeepBoth;
}

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
    VersionShelf shelf;
    ProfileManager manager{store, settings, messages};
    WaitingStore waiting{store, pause, messages};

    Context(QTextStream& i, QTextStream& o, QTextStream& e, const QString& appFolder)
        : in(i), out(o), err(e), settings(SettingsStore::defaultPath(), appFolder, &messages) {
        // A damaged file ends the read, never the tool.
        cipher.setEndingHandler([] {});
        store.setVersionShelf(&shelf);
        // Nobody reads a log that could not be written: said at once.
        log.setFailureHandler([this](const QString& path, const QString& why) {
            err << QStringLiteral("tavrino-cli: could not write to the error log %1: %2\n").arg(path, why)
                << Qt::flush;
        });
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

    // Saves the open profile with every conflict copy a sync tool left of
    // it; another workstation's save meanwhile is merged with it. Both are
    // said on stderr. Nobody is asked: a record changed on both sides is
    // kept in both versions.
    void save(const QString& name, bool withCopies = true) {
        CopyIntake intake(store, keepBoth);
        const IntakeOutcome copies =
            withCopies ? intake.takeIn(FolderListing::of(store.databaseFolder())) : IntakeOutcome();
        messages.texts.clear();
        const SaveOutcome outcome = waiting.save();
        if (outcome != SaveOutcome::Saved && outcome != SaveOutcome::Merged)
            failWithMessages(QStringLiteral("profile '%1' was not saved").arg(name));
        if (!copies.isEmpty()) {
            err << name << QStringLiteral(": ") << copies.summary() << "\n";
            for (const QString& stuck : intake.removeTaken())
                err << QStringLiteral("note: could not remove %1\n").arg(stuck);
            err << Qt::flush;
        }
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

int dump(Context& c, const QString& name) {
    c.open(name);
    c.login();
    // Bytes straight to the output file where there is one; no round trip
    // through UTF-16 and the stream's encoder.
    c.out.flush();
    QIODevice* device = c.out.device();
    writeProfileJson(c.profile, [&](const QByteArray& piece) {
        if (device)
            device->write(piece);
        else
            c.out << QString::fromUtf8(piece);
    });
    return 0;
}

int exportCsv(Context& c, const QString& name, bool forSpreadsheet) {
    c.open(name);
    c.login();
    c.out << QString::fromUtf8(tavrino::exportCsv(c.profile, forSpreadsheet));
    if (const int cells = forSpreadsheet ? 0 : formulaCells(c.profile))
        c.err << QStringLiteral("note: %1 cells begin with =, +, -, @ or a control character: a "
                                "spreadsheet would run them as formulas (export with --spreadsheet "
                                "for one)\n")
                     .arg(cells);
    return 0;
}

int importCsv(Context& c, const QString& name, const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString()));
    RecordImport import = RecordImport::read(file.readAll(), QDate::currentDate());
    if (!import.error.isEmpty()) throw Failure(QStringLiteral("%1: %2").arg(fileName, import.error));
    c.open(name);
    c.login();
    const ImportOutcome outcome = addImported(c.profile, import.records);
    // In the profile now: not held twice while the profile is saved.
    import.records = {};
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

// A folder that can't be listed is said so: an empty list (or nothing
// changed) would look like success.
void requireListableFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    if (DIR* dir = ::opendir(name.constData())) {
        ::closedir(dir);
        return;
    }
    throw Failure(QStringLiteral("cannot read the database folder %1: %2")
                      .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
}

int list(Context& c) {
    if (!QFileInfo::exists(c.settings.path()) && !c.settings.hasFolderOverride())
        throw Failure(QStringLiteral("no settings yet (%1): run tavrino-cli init, or give --database DIR")
                          .arg(c.settings.path()));
    c.useFolder();
    requireListableFolder(c.store.databaseFolder());
    const QStringList names = c.manager.ListProfiles();
    for (const QString& n : names) {
        c.out << visibleText(n);
        if (ProfileManager::isAmbiguous(c.manager.listing(), n))
            c.out << QStringLiteral(" (both %1.dat and %1.sealed are there: neither opens until "
                                    "one of them is moved out of the folder)")
                         .arg(visibleText(n));
        c.out << "\n";
    }
    // Marked, with what to do about them; the command as it can be pasted.
    for (const QString& copy : ProfileManager::conflictCopies(c.manager.listing())) {
        const QString of = ProfileManager::conflictCopyOf(copy);
        c.out << QStringLiteral("%1 (a sync tool's conflict copy of %2: tavrino-cli merge %3 %4)\n")
                     .arg(visibleText(copy), visibleText(of), shellQuoted(of), shellQuoted(copy));
    }
    // Named like a profile but no file of its own: never read, said once.
    for (const FolderListing::Other& other : c.manager.listing().others())
        if (ProfileManager::isProfileFileName(other.name))
            c.out << QStringLiteral("%1 (ignored: %2, not a regular file)\n")
                         .arg(visibleText(other.name), other.kind);
    return 0;
}

int mergeCopy(Context& c, const QString& name, const QString& file, bool keep) {
    c.open(name);
    c.login();
    // As given, else as the list names it: a file in the database folder.
    const QString path = QFileInfo::exists(file) ? QFileInfo(file).absoluteFilePath()
                                                 : c.store.pathOf(file);
    CopyIntake intake(c.store, keepBoth);
    IntakeOutcome taken;
    if (const QString why = intake.takeFile(path, taken); !why.isEmpty())
        throw Failure(QStringLiteral("cannot merge %1: %2").arg(file, why));
    // Only this copy: the others of the folder are for the next save.
    if (taken.profileChanged) c.save(name, false);
    c.out << QStringLiteral("merged %1 into %2 (%3): %4 records added, %5 changed, %6 removed, %7 "
                            "kept in both versions\n")
                 .arg(file, name,
                      taken.withoutBase ? QStringLiteral("no earlier version is kept here: only "
                                                         "added to")
                                        : QStringLiteral("three-way, against the version kept "
                                                         "here"))
                 .arg(taken.added)
                 .arg(taken.changed)
                 .arg(taken.removed)
                 .arg(taken.conflicts);
    for (const QString& added : std::as_const(taken.broughtBack))
        c.out << QStringLiteral("added: \"%1\"\n").arg(visibleText(added));
    // A sync tool's copy in the folder is taken in now: it goes, or every
    // member would merge it again. Any other file (a backup) stays.
    const QFileInfo copyFile(path);
    if (!keep && copyFile.absolutePath() == QFileInfo(c.store.databaseFolder()).absoluteFilePath() &&
        ProfileManager::conflictCopyOf(copyFile.fileName()) == name) {
        const QStringList stuck = intake.removeTaken();
        if (stuck.isEmpty())
            c.out << QStringLiteral("removed %1\n").arg(visibleText(copyFile.fileName()));
        else
            c.err << QStringLiteral("note: could not remove %1\n").arg(stuck.join(QStringLiteral("; ")));
    }
    return 0;
}

int fixAccess(Context& c) {
    c.useFolder();
    const QString folder = c.store.databaseFolder();
    requireListableFolder(folder);
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

// The records whose description is that text, letter case aside (1-based).
QList<qsizetype> recordsNamed(const Profile& profile, const QString& description) {
    QList<qsizetype> found;
    for (qsizetype i = 1; i <= profile.Records.count(); ++i)
        if (PasswordRecord::fromLine(profile.Records.item(i))[PasswordRecord::Description].compare(
                description, Qt::CaseInsensitive) == 0)
            found << i;
    return found;
}

qsizetype oneRecordNamed(const Profile& profile, const QString& name, const QString& description) {
    const QList<qsizetype> found = recordsNamed(profile, description);
    if (found.isEmpty())
        throw Failure(QStringLiteral("profile '%1' has no record '%2'").arg(name, description));
    if (found.size() > 1)
        throw Failure(QStringLiteral("profile '%1' has %2 records '%3'; change them in the window")
                          .arg(name)
                          .arg(found.size())
                          .arg(description));
    return found.first();
}

// A field typed on the command line: "|" separates a profile line's fields.
QString fieldValue(const QString& value, const QString& what) {
    if (value.contains(QLatin1Char('|')))
        throw Failure(QStringLiteral("the %1 contains \"|\", which a profile can not store").arg(what));
    return value;
}

int searchRecords(Context& c, const QString& name, const QString& query) {
    c.open(name);
    c.login();
    RecordSearch search;
    search.index(c.profile.Records.lines());
    for (const SearchHit& hit : search.find(query, c.profile.Records.count() + 1)) {
        const PasswordRecord r = PasswordRecord::fromLine(c.profile.Records.item(hit.position));
        c.out << r[PasswordRecord::Description] << '\t' << r[PasswordRecord::UserCode] << '\t'
              << r[PasswordRecord::WebSite] << '\n';
    }
    return 0;
}

int showRecord(Context& c, const QString& name, const QString& description, bool password) {
    c.open(name);
    c.login();
    const QList<qsizetype> found = recordsNamed(c.profile, description);
    if (found.isEmpty())
        throw Failure(QStringLiteral("profile '%1' has no record '%2'").arg(name, description));
    for (qsizetype at : found) {
        const PasswordRecord r = PasswordRecord::fromLine(c.profile.Records.item(at));
        if (password) {
            c.out << r[PasswordRecord::Password] << '\n';
            continue;
        }
        if (at != found.first()) c.out << '\n';
        for (int f = 1; f <= PasswordRecord::FieldCount; ++f)
            if (f != PasswordRecord::Password)
                c.out << PasswordRecord::fieldNames()[f - 1] << ": "
                      << QString(r[static_cast<PasswordRecord::Field>(f)]).replace(QStringLiteral("\r\n"), QStringLiteral("\n    "))
                      << '\n';
    }
    return 0;
}

// --category, --url, --email, --notes, --expiry (and --user) into the record.
void applyOptions(Context& c, PasswordRecord& r, const QHash<QString, QString>& options) {
    const std::pair<const char*, PasswordRecord::Field> given[] = {
        {"user", PasswordRecord::UserCode}, {"category", PasswordRecord::Category},
        {"url", PasswordRecord::WebSite},   {"email", PasswordRecord::Email},
        {"notes", PasswordRecord::Notes},   {"expiry", PasswordRecord::ExpiryDate}};
    for (const auto& [option, field] : given) {
        const QString key = QString::fromLatin1(option);
        if (options.contains(key)) r[field] = fieldValue(options.value(key), key);
    }
    QString& expiry = r[PasswordRecord::ExpiryDate];
    if (!expiry.isEmpty() && !parseDateText(expiry, QDate::currentDate()))
        throw Failure(QStringLiteral("the expiry date '%1' is not a date (day first: 31/12/2027, or "
                                     "a month: 12/27)")
                          .arg(expiry));
    if (r[PasswordRecord::UserCode].trimmed().isEmpty())
        throw Failure(QStringLiteral("a record needs a user code"));
    const QString& category = r[PasswordRecord::Category];
    if (!category.isEmpty() && !c.profile.Categories.contains(category))
        c.profile.Categories.add(Profile::categoryLine(category), category);
}

int addRecord(Context& c, const QString& name, const QString& description, const QString& user,
              const QHash<QString, QString>& options) {
    c.open(name);
    c.login();
    PasswordRecord r;
    r[PasswordRecord::Description] = fieldValue(description, QStringLiteral("description"));
    r[PasswordRecord::UserCode] = fieldValue(user, QStringLiteral("user code"));
    r[PasswordRecord::Password] =
        fieldValue(c.readLine(QStringLiteral("New record's password: ")), QStringLiteral("password"));
    applyOptions(c, r, options);
    c.profile.Records.add(r.toLine());
    c.save(name);
    c.out << QStringLiteral("added %1 to %2\n").arg(description, name);
    return 0;
}

int editRecord(Context& c, const QString& name, const QString& description,
               const QHash<QString, QString>& options, bool password) {
    c.open(name);
    c.login();
    const qsizetype at = oneRecordNamed(c.profile, name, description);
    PasswordRecord r = PasswordRecord::fromLine(c.profile.Records.item(at));
    if (password)
        r[PasswordRecord::Password] =
            fieldValue(c.readLine(QStringLiteral("New password: ")), QStringLiteral("password"));
    applyOptions(c, r, options);
    c.profile.Records.remove(at);
    c.profile.Records.insert(at, r.toLine());
    c.save(name);
    c.out << QStringLiteral("changed %1 in %2\n").arg(description, name);
    return 0;
}

int removeRecord(Context& c, const QString& name, const QString& description) {
    c.open(name);
    c.login();
    c.profile.Records.remove(oneRecordNamed(c.profile, name, description));
    c.save(name);
    c.out << QStringLiteral("removed %1 from %2\n").arg(description, name);
    return 0;
}

int generate(Context& c, const QHash<QString, QString>& options) {
    GeneratorOptions o;
    o.kind = GeneratorOptions::Kind::Characters;
    auto number = [&](const char* option, int low, int high) {
        bool ok = false;
        const int n = options.value(QString::fromLatin1(option)).toInt(&ok);
        if (!ok || n < low || n > high)
            throw Failure(QStringLiteral("--%1 must be a number from %2 to %3")
                              .arg(QLatin1String(option))
                              .arg(low)
                              .arg(high));
        return n;
    };
    if (options.contains(QStringLiteral("length")))
        o.length = number("length", GeneratorOptions::MinLength, GeneratorOptions::MaxLength);
    QStringList words;
    if (options.contains(QStringLiteral("words"))) {
        o.kind = GeneratorOptions::Kind::Passphrase;
        o.words = number("words", GeneratorOptions::MinWords, GeneratorOptions::MaxWords);
        words = passphraseWords();
    }
    PasswordGenerator generator(c.clock, words);
    QString why;
    const QString made = generator.generate(o, &why);
    if (made.isEmpty()) throw Failure(why);
    c.out << made << '\n';
    c.err << QStringLiteral("strength: %1 bits\n").arg(std::floor(generator.strengthBits(o)));
    return 0;
}

int changePassword(Context& c, const QString& name) {
    c.open(name);
    c.login();
    const QString first = c.readLine(QStringLiteral("New password: "));
    const QString again = c.readLine(QStringLiteral("New password again: "));
    if (first != again) throw Failure(QStringLiteral("the two new passwords differ; nothing changed"));
    if (first.trimmed().isEmpty()) throw Failure(QStringLiteral("a password can not be empty"));
    fieldValue(first, QStringLiteral("password"));
    SecuritySettings& security = c.profile.Security;
    security.Password = first.trimmed();
    // The answer every new profile knows opens nothing once the password is one's own.
    if (security.Questions.count() > 0 &&
        std::any_of(security.Questions.lines().cbegin(), security.Questions.lines().cend(),
                    SecuritySettings::isDefaultQuestion))
        c.err << QStringLiteral("note: the default secret question is still in place; set your own "
                                "in the window's setup (it no longer opens the profile)\n");
    c.save(name);
    c.out << QStringLiteral("changed the password of %1\n").arg(name);
    return 0;
}

} // namespace

int runCli(const QStringList& arguments, QTextStream& in, QTextStream& out, QTextStream& err,
           const QString& applicationFolder) {
    QStringList args;
    // Options with a value, as --name VALUE or --name=VALUE.
    static const QStringList valued{QStringLiteral("database"), QStringLiteral("length"),
                                    QStringLiteral("words"),    QStringLiteral("category"),
                                    QStringLiteral("url"),      QStringLiteral("email"),
                                    QStringLiteral("notes"),    QStringLiteral("expiry"),
                                    QStringLiteral("user")};
    static const QStringList flags{QStringLiteral("help"),     QStringLiteral("csv"),
                                   QStringLiteral("sealed"),   QStringLiteral("version"),
                                   QStringLiteral("password"), QStringLiteral("spreadsheet"),
                                   QStringLiteral("keep")};
    QCommandLineParser parser;
    for (const QString& name : valued)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    for (const QString& name : flags)
        parser.addOption(name == u"help" ? QCommandLineOption(QStringList{QStringLiteral("h"), name})
                                         : QCommandLineOption(name));
    if (!parser.parse(QStringList{QStringLiteral("tavrino-cli")} + arguments)) {
        err << "tavrino-cli: " << parser.errorText() << " See tavrino-cli --help\n";
        return 2;
    }
    args = parser.positionalArguments();
    QHash<QString, QString> options;
    QSet<QString> set;
    for (const QString& name : valued)
        if (parser.isSet(name)) options.insert(name, parser.value(name));
    for (const QString& name : flags)
        if (parser.isSet(name)) set.insert(name);
    const QString database = options.value(QStringLiteral("database"));
    const bool csv = set.contains(QStringLiteral("csv"));
    const bool sealed = set.contains(QStringLiteral("sealed"));
    const QString command = args.value(0);
    if (set.contains(QStringLiteral("version"))) {
        out << "tavrino-cli " << TAVRINO_VERSION << "\n";
        return 0;
    }
    if (set.contains(QStringLiteral("help"))) {
        for (const CommandHelp& h : CommandHelps)
            if (command == QLatin1String(h.name)) {
                out << h.text;
                return 0;
            }
        out << Usage;
        return 0;
    }
    // How many words each command takes (search: at least that many).
    static const QHash<QString, int> needs{
        {QStringLiteral("import"), 3}, {QStringLiteral("merge"), 3},  {QStringLiteral("list"), 1},
        {QStringLiteral("init"), 1},   {QStringLiteral("fix-access"), 1}, {QStringLiteral("generate"), 1},
        {QStringLiteral("add"), 4},    {QStringLiteral("show"), 3},   {QStringLiteral("edit"), 3},
        {QStringLiteral("rm"), 3},     {QStringLiteral("search"), 3}};
    const int needed = needs.value(command, 2);
    const bool known =
        std::any_of(std::begin(CommandHelps), std::end(CommandHelps),
                    [&](const CommandHelp& h) { return command == QLatin1String(h.name); });
    // Which command takes which option beyond --database.
    static const QHash<QString, QStringList> takes{
        {QStringLiteral("export"), {QStringLiteral("csv"), QStringLiteral("spreadsheet")}},
        {QStringLiteral("create"), {QStringLiteral("sealed")}},
        {QStringLiteral("merge"), {QStringLiteral("keep")}},
        {QStringLiteral("generate"), {QStringLiteral("length"), QStringLiteral("words")}},
        {QStringLiteral("show"), {QStringLiteral("password")}},
        {QStringLiteral("add"),
         {QStringLiteral("category"), QStringLiteral("url"), QStringLiteral("email"),
          QStringLiteral("notes"), QStringLiteral("expiry")}},
        {QStringLiteral("edit"),
         {QStringLiteral("user"), QStringLiteral("category"), QStringLiteral("url"),
          QStringLiteral("email"), QStringLiteral("notes"), QStringLiteral("expiry"),
          QStringLiteral("password")}}};
    QStringList given = options.keys() + QStringList(set.cbegin(), set.cend());
    given.removeAll(QStringLiteral("database"));
    const bool optionsFit = std::all_of(given.cbegin(), given.cend(), [&](const QString& o) {
        return takes.value(command).contains(o);
    });
    const bool countFits = command == u"search" ? args.size() >= needed : args.size() == needed;
    if (!known || !countFits || (command == u"export" && !csv) || !optionsFit ||
        (command == u"generate" && options.contains(QStringLiteral("length")) &&
         options.contains(QStringLiteral("words")))) {
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
        if (command == u"export")
            return exportCsv(c, args[1], set.contains(QStringLiteral("spreadsheet")));
        if (command == u"import") return importCsv(c, args[1], args[2]);
        if (command == u"merge")
            return mergeCopy(c, args[1], args[2], set.contains(QStringLiteral("keep")));
        if (command == u"fix-access") return fixAccess(c);
        if (command == u"search") return searchRecords(c, args[1], args.mid(2).join(QLatin1Char(' ')));
        if (command == u"show") return showRecord(c, args[1], args[2], set.contains(QStringLiteral("password")));
        if (command == u"add") return addRecord(c, args[1], args[2], args[3], options);
        if (command == u"edit")
            return editRecord(c, args[1], args[2], options, set.contains(QStringLiteral("password")));
        if (command == u"rm") return removeRecord(c, args[1], args[2]);
        if (command == u"generate") return generate(c, options);
        if (command == u"passwd") return changePassword(c, args[1]);
        return init(c, database);
    } catch (const Failure& f) {
        err << "tavrino-cli: " << f.text << "\n";
        return f.code;
    }
}

} // namespace tavrino
