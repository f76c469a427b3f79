// The tool as a separate process, the way scripts and other workstations use it.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace tavrino::test;

namespace {

struct CliRun {
    int status;
    QString out;
    QString err;
};

class Cli : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QTemporaryDir home;

    CliRun cli(const QStringList& args, const QByteArray& input = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TAVRINO_SETTINGS"),
                   home.filePath(QStringLiteral("settings.ini")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral("state")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("TAVRINO_PAUSE_MS"), QStringLiteral("1"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAVRINO_BIN_DIR "/tavrino-cli"), args);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QStringList db() const { return {QStringLiteral("--database"), dir.path()}; }
};

TEST_F(Cli, CreateListAndDumpANewProfile) {
    EXPECT_EQ(cli(QStringList{QStringLiteral("create"), QStringLiteral("Home")} + db()).status, 0);
    EXPECT_EQ(cli(QStringList{QStringLiteral("list")} + db()).out, QStringLiteral("Home\n"));
    const CliRun dump =
        cli(QStringList{QStringLiteral("dump"), QStringLiteral("Home")} + db(), "QUILT\n");
    ASSERT_EQ(dump.status, 0) << dump.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(dump.out.toUtf8()).object();
    EXPECT_EQ(o[QStringLiteral("change_stamp")].toInt(), 1);
    EXPECT_EQ(o[QStringLiteral("login_mode")].toInt(), 1);
    EXPECT_EQ(o[QStringLiteral("questions")].toArray().size(), 1);
    EXPECT_TRUE(o[QStringLiteral("records")].toArray().isEmpty());

    const CliRun again = cli(QStringList{QStringLiteral("create"), QStringLiteral("Home")} + db());
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, QStringLiteral("tavrino-cli: profile 'Home' was not created: This profile "
                                        "already exists. Please choose another name!\n"));
}

TEST_F(Cli, ExportImportRoundTripThroughAnotherProfile) {
    copyFixture(dir, QStringLiteral("Work.dat"));
    const QByteArray workLogin = "alice\nS3cret pass\n4711\n";
    const CliRun exported =
        cli(QStringList{QStringLiteral("export"), QStringLiteral("Work"), QStringLiteral("--csv")} +
                db(),
            workLogin);
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.startsWith(QStringLiteral(
        "Category,Description,UserCode,Password,Notes,ExpiryDate,WebSite,Email\r\n")));
    const QString csv = dir.filePath(QStringLiteral("work.csv"));
    writeFile(csv, exported.out.toUtf8());

    ASSERT_EQ(cli(QStringList{QStringLiteral("create"), QStringLiteral("Copy")} + db()).status, 0);
    const CliRun imported =
        cli(QStringList{QStringLiteral("import"), QStringLiteral("Copy"), csv} + db(), "QUILT\n");
    ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, QStringLiteral("Tavrino export: 12 records added.\n"
                                           "New categories: Bank, Web, Mail.\n"));
    const CliRun again =
        cli(QStringList{QStringLiteral("import"), QStringLiteral("Copy"), csv} + db(), "QUILT\n");
    EXPECT_EQ(again.out, QStringLiteral("Tavrino export: 0 records added, 12 already there.\n"));

    const QJsonObject copy =
        QJsonDocument::fromJson(
            cli(QStringList{QStringLiteral("dump"), QStringLiteral("Copy")} + db(), "QUILT\n")
                .out.toUtf8())
            .object();
    const QJsonObject work =
        QJsonDocument::fromJson(
            cli(QStringList{QStringLiteral("dump"), QStringLiteral("Work")} + db(), workLogin)
                .out.toUtf8())
            .object();
    EXPECT_EQ(copy[QStringLiteral("records")], work[QStringLiteral("records")]);
    EXPECT_EQ(copy[QStringLiteral("categories")], work[QStringLiteral("categories")]);
    EXPECT_EQ(copy[QStringLiteral("change_stamp")].toInt(), 2);
}

// Seal then unseal gives back the same content (each is a save: the stamp
// moves on); a wrong login changes nothing.
TEST_F(Cli, SealAndUnsealKeepTheContent) {
    copyFixture(dir, QStringLiteral("Work.dat"));
    const QByteArray login = "alice\nS3cret pass\n4711\n";
    auto dump = [&] {
        const CliRun run = cli(QStringList{QStringLiteral("dump"), QStringLiteral("Work")} + db(), login);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
        const int stamp = o.take(QStringLiteral("change_stamp")).toInt();
        return std::pair{o, stamp};
    };
    const auto [before, stamp] = dump();
    const QByteArray original = readFile(dir.filePath(QStringLiteral("Work.dat")));
    auto exported = [&] {
        return cli(QStringList{QStringLiteral("export"), QStringLiteral("Work"), QStringLiteral("--csv")} +
                       db(),
                   login)
            .out;
    };
    const QString csvBefore = exported();

    const CliRun wrong = cli(QStringList{QStringLiteral("seal"), QStringLiteral("Work")} + db(),
                             "alice\nwrong\n4711\n");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("Work.dat"))), original);

    const CliRun sealed = cli(QStringList{QStringLiteral("seal"), QStringLiteral("Work")} + db(), login);
    ASSERT_EQ(sealed.status, 0) << sealed.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Work.dat"))));
    EXPECT_TRUE(readFile(dir.filePath(QStringLiteral("Work.sealed"))).startsWith("TAVRINO-SEALED 1\n"));
    EXPECT_EQ(cli(QStringList{QStringLiteral("list")} + db()).out, QStringLiteral("Work\n"));
    const auto [whileSealed, sealedStamp] = dump();
    EXPECT_EQ(whileSealed, before);
    EXPECT_EQ(sealedStamp, stamp + 1);
    EXPECT_EQ(exported(), csvBefore) << "the same export from either format";

    ASSERT_EQ(cli(QStringList{QStringLiteral("unseal"), QStringLiteral("Work")} + db(), login).status, 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Work.sealed"))));
    const auto [after, afterStamp] = dump();
    EXPECT_EQ(after, before);
    EXPECT_EQ(afterStamp, stamp + 2);
}

// A "|" (which a profile line can not hold) skips its row only, and says so.
TEST_F(Cli, ImportSkipsOnlyTheRowWithTheSeparator) {
    ASSERT_EQ(cli(QStringList{QStringLiteral("create"), QStringLiteral("Home")} + db()).status, 0);
    const QString csv = dir.filePath(QStringLiteral("bad.csv"));
    writeFile(csv, "Category,Description,UserCode,Password,Notes,ExpiryDate,WebSite,Email\r\n,Mail,"
                   "me,pa|ss,,,,\r\n,Shop,me,fine,,,,\r\n");
    const CliRun r =
        cli(QStringList{QStringLiteral("import"), QStringLiteral("Home"), csv} + db(), "QUILT\n");
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Tavrino export: 1 records added, 1 skipped.\n"
                                    "row 1 (Mail): skipped, \"|\" in Password can not be stored in a "
                                    "profile\n"));
    const CliRun dumped = cli(QStringList{QStringLiteral("dump"), QStringLiteral("Home")} + db(), "QUILT\n");
    EXPECT_TRUE(dumped.out.contains(QStringLiteral("\"Shop\"")));
    EXPECT_FALSE(dumped.out.contains(QStringLiteral("pa|ss")));
}

TEST_F(Cli, FailuresAreOneLineWithAnExitStatus) {
    copyFixture(dir, QStringLiteral("Work.dat"));
    QByteArray damaged = readFile(dir.filePath(QStringLiteral("Work.dat")));
    damaged[200] = damaged[200] == 'A' ? 'B' : 'A';
    writeFile(dir.filePath(QStringLiteral("Broken.dat")), damaged);

    const struct {
        QStringList args;
        QByteArray input;
        int status;
        QString err;
    } cases[] = {
        {QStringList{QStringLiteral("dump"), QStringLiteral("Work")} + db(), "alice\nwrong\n4711\n",
         1, QStringLiteral("tavrino-cli: the details are incorrect for profile 'Work'\n")},
        {QStringList{QStringLiteral("dump"), QStringLiteral("Broken")} + db(), "", 1,
         QStringLiteral("tavrino-cli: cannot read profile 'Broken': Invalid Data\n")},
        {QStringList{QStringLiteral("dump"), QStringLiteral("Gone")} + db(), "", 1,
         QStringLiteral(
             "tavrino-cli: cannot read profile 'Gone': An Error has occurred!. The error is : No "
             "such file or directory ReadFromFile (2) Please close application and re-open.\n")},
        {QStringList{QStringLiteral("export"), QStringLiteral("Work")} + db(), "", 2,
         QStringLiteral(
             "tavrino-cli: wrong arguments for export; see tavrino-cli export --help\n")},
        {QStringList{QStringLiteral("frobnicate")}, "", 2,
         QStringLiteral("tavrino-cli: unknown command frobnicate; see tavrino-cli --help\n")},
    };
    for (const auto& c : cases) {
        const CliRun r = cli(c.args, c.input);
        EXPECT_EQ(r.status, c.status) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("Broken.dat"))), damaged);
}

TEST_F(Cli, HelpForTheToolAndEachCommand) {
    EXPECT_TRUE(cli({QStringLiteral("--help")})
                    .out.startsWith(QStringLiteral("Usage: tavrino-cli COMMAND")));
    for (const char* command :
         {"list", "create", "dump", "export", "import", "init", "merge", "fix-access"}) {
        const CliRun r = cli({QString::fromLatin1(command), QStringLiteral("--help")});
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(
            r.out.startsWith(QStringLiteral("Usage: tavrino-cli ") + QString::fromLatin1(command)))
            << command;
    }
}

TEST_F(Cli, InitPreparesSettingsFolderAndAFirstProfile) {
    const CliRun r = cli({QStringLiteral("init")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString folder = home.filePath(QStringLiteral("data/Tavrino"));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Default.dat")));
    EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions(0))
        << "the folder is the user's alone";
    EXPECT_EQ(QFileInfo(folder + QStringLiteral("/Default.dat")).permissions() & 0x0077,
              QFileDevice::Permissions(0));
    EXPECT_EQ(cli({QStringLiteral("list")}).out, QStringLiteral("Default\n"));
    // CliRun again: nothing is replaced.
    const QByteArray before = readFile(folder + QStringLiteral("/Default.dat"));
    EXPECT_EQ(cli({QStringLiteral("init")}).status, 0);
    EXPECT_EQ(readFile(folder + QStringLiteral("/Default.dat")), before);

    // Another folder named: the settings follow it, and init says so.
    const CliRun moved = cli({QStringLiteral("init"), QStringLiteral("--database"), dir.path()});
    ASSERT_EQ(moved.status, 0) << moved.err.toStdString();
    EXPECT_TRUE(moved.out.startsWith(
        QStringLiteral("database folder switched from %1 to %2\n").arg(folder, dir.path())));
    EXPECT_EQ(cli({QStringLiteral("list")}).out, QStringLiteral("Default\n"));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Default.dat"))));
}

// Two copies of one profile saved apart, as a sync tool leaves them: the
// list marks the copy, and merge adds what only it has, keeping both
// versions of a record the two changed differently.
TEST_F(Cli, MergeAConflictCopy) {
    QTemporaryDir other;
    copyFixture(dir, QStringLiteral("Home.dat"));
    copyFixture(other, QStringLiteral("Home.dat"));
    auto csv = [&](const char* rows) {
        const QString path = home.filePath(QString::number(qHash(QByteArray(rows))) + ".csv");
        writeFile(path, QByteArray("Category,Description,UserCode,Password,Notes,ExpiryDate,"
                                   "WebSite,Email\n") + rows);
        return path;
    };
    const QStringList there{QStringLiteral("--database"), other.path()};
    ASSERT_EQ(cli(QStringList{QStringLiteral("import"), QStringLiteral("Home"),
                              csv(",Mine,me,pw,,,,\n,Mail,a,pwA,,,,\n")} + db(), "QUILT\n").status, 0);
    ASSERT_EQ(cli(QStringList{QStringLiteral("import"), QStringLiteral("Home"),
                              csv(",Theirs,me,pw,,,,\n,Mail,a,pwB,,,,\n")} + there, "QUILT\n").status, 0);
    const QString copy = QStringLiteral("Home.sync-conflict-20261210-101010-ABCDEFG.dat");
    QFile::copy(other.filePath(QStringLiteral("Home.dat")), dir.filePath(copy));

    EXPECT_EQ(cli(QStringList{QStringLiteral("list")} + db()).out,
              QStringLiteral("Home\n%1 (a sync tool's conflict copy of Home: tavrino-cli merge "
                             "'Home' '%1')\n").arg(copy));
    const CliRun merged = cli(QStringList{QStringLiteral("merge"), QStringLiteral("Home"), copy,
                                          QStringLiteral("--keep")} + db(), "QUILT\n");
    ASSERT_EQ(merged.status, 0) << merged.err.toStdString();
    // Both grew from the fixture, which this workstation read before its
    // import: what each added stays, a record both added is there twice.
    EXPECT_EQ(merged.out, QStringLiteral("merged %1 into Home (three-way, against the version kept "
                                         "here): 2 records added, 0 changed, 0 removed, 0 kept in "
                                         "both versions\n").arg(copy));
    const CliRun dump = cli(QStringList{QStringLiteral("dump"), QStringLiteral("Home")} + db(), "QUILT\n");
    QStringList passwords;
    for (const QJsonValue r : QJsonDocument::fromJson(dump.out.toUtf8()).object()[QStringLiteral("records")].toArray())
        passwords << r[QStringLiteral("Description")].toString() + QLatin1Char('=') + r[QStringLiteral("Password")].toString();
    passwords.sort();
    EXPECT_EQ(passwords, QStringList({QStringLiteral("Mail=pwA"), QStringLiteral("Mail=pwB"),
                                      QStringLiteral("Mine=pw"), QStringLiteral("Theirs=pw")}));
    // Merging it again adds nothing; without --keep the copy then goes.
    const CliRun again = cli(QStringList{QStringLiteral("merge"), QStringLiteral("Home"), copy} + db(), "QUILT\n");
    EXPECT_TRUE(again.out.contains(QStringLiteral("0 records added, 0 changed, 0 removed"))) << again.out.toStdString();
    EXPECT_TRUE(again.out.endsWith(QStringLiteral("removed %1\n").arg(copy))) << again.out.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(copy)));

    // Planted: a "copy" made with another login, and a link to a private
    // profile elsewhere. Neither is read into Home.
    copyFixture(other, QStringLiteral("Work.dat"));
    const QString planted = QStringLiteral("Home.sync-conflict-20261210-101010-EVIL.dat");
    QFile::copy(other.filePath(QStringLiteral("Work.dat")), dir.filePath(planted));
    const QString link = QStringLiteral("Home.sync-conflict-20261210-101010-LINK.dat");
    ASSERT_TRUE(QFile::link(other.filePath(QStringLiteral("Home.dat")), dir.filePath(link)));
    const std::pair<QString, QString> refused[] = {
        {planted, planted + QStringLiteral(" has another login than this profile: it is not a copy of it")},
        {link, QStringLiteral("Too many levels of symbolic links")}};
    for (const auto& [file, why] : refused) {
        const CliRun run = cli(QStringList{QStringLiteral("merge"), QStringLiteral("Home"), file} + db(), "QUILT\n");
        EXPECT_EQ(run.status, 1) << file.toStdString();
        EXPECT_TRUE(run.err.contains(why)) << run.err.toStdString();
    }

    // A planted name that would run a command when pasted, or show as two
    // lines: quoted for the shell, escaped on screen.
    const QString evil = QStringLiteral("Home.sync-conflict-$(touch PWNED)-'x-\nHome.dat");
    writeFile(dir.filePath(evil), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Folder.dat")));
    const QString listed = cli(QStringList{QStringLiteral("list")} + db()).out;
    // What is named like a profile but is no file is never read, and said.
    for (const QString& ignored : {link + QStringLiteral(" (ignored: a link, not a regular file)"),
                                   QStringLiteral("Folder.dat (ignored: a folder, not a regular file)")})
        EXPECT_TRUE(listed.contains(ignored + QLatin1Char('\n'))) << listed.toStdString();
    EXPECT_TRUE(listed.contains(QStringLiteral(
        "tavrino-cli merge 'Home' 'Home.sync-conflict-$(touch PWNED)-'\\''x-'$'\\n''Home.dat')")))
        << listed.toStdString();
    EXPECT_FALSE(listed.contains(QStringLiteral("\nHome.dat"))) << "a line of its own";
}

// Nobody runs merge by hand: any save takes in the copies a sync tool
// left, three-way, says so in one line, and the copy goes.
TEST_F(Cli, ASaveTakesInTheCopiesBesideIt) {
    QTemporaryDir other;
    copyFixture(dir, QStringLiteral("Home.dat"));
    copyFixture(other, QStringLiteral("Home.dat"));
    const auto add = [&](const QStringList& where, const char* description) {
        return cli(QStringList{QStringLiteral("add"), QStringLiteral("Home"),
                               QString::fromLatin1(description), QStringLiteral("me")} + where,
                   "QUILT\npw\n");
    };
    ASSERT_EQ(add(db(), "Mine").status, 0);
    ASSERT_EQ(add({QStringLiteral("--database"), other.path()}, "Theirs").status, 0);
    const QString copy = QStringLiteral("Home.sync-conflict-20261211-101010-ABCDEFG.dat");
    QFile::copy(other.filePath(QStringLiteral("Home.dat")), dir.filePath(copy));
    const CliRun run = add(db(), "Later");
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, QStringLiteral("Home: Took in 1 copy left by a sync tool: 1 record added, "
                                      "no conflicts\n"));
    EXPECT_FALSE(QFile::exists(dir.filePath(copy)));
    const QString dump = cli(QStringList{QStringLiteral("dump"), QStringLiteral("Home")} + db(), "QUILT\n").out;
    for (const char* d : {"Mine", "Theirs", "Later"})
        EXPECT_EQ(dump.count(QStringLiteral("\"%1\"").arg(QLatin1String(d))), 1) << d;
}

} // namespace

namespace {

// Ctrl-C at the password prompt: the terminal gets its echo back.
TEST_F(Cli, InterruptedPromptGivesTheTerminalItsEchoBack) {
    ASSERT_EQ(cli(QStringList{QStringLiteral("create"), QStringLiteral("Home")} + db()).status, 0);
    const QByteArray settings = QFile::encodeName(home.filePath(QStringLiteral("settings.ini")));
    const QByteArray database = QFile::encodeName(dir.path());
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("TAVRINO_SETTINGS", settings.constData(), 1);
        ::execl(TAVRINO_BIN_DIR "/tavrino-cli", "tavrino-cli", "dump", "Home", "--database",
                database.constData(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    QByteArray seen;
    for (int waited = 0; !seen.contains("Password: ") && waited < 100; ++waited) {
        pollfd p{terminal, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) {
            char buffer[256];
            const ssize_t n = ::read(terminal, buffer, sizeof buffer);
            if (n > 0) seen.append(buffer, n);
        }
    }
    ASSERT_TRUE(seen.contains("Password: ")) << seen.toStdString();
    termios mode{};
    ASSERT_EQ(::tcgetattr(terminal, &mode), 0);
    EXPECT_FALSE(mode.c_lflag & ECHO) << "no echo while the password is typed";

    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    ASSERT_EQ(::tcgetattr(terminal, &mode), 0);
    EXPECT_TRUE(mode.c_lflag & ECHO) << "echo back after Ctrl-C";
    ::close(terminal);
}

// Neither program leaves a core dump with the secrets in it.
TEST_F(Cli, WritesNoCoreDumps) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVRINO_SETTINGS"), home.filePath(QStringLiteral("settings.ini")));
    p.setProcessEnvironment(env);
    ASSERT_EQ(cli(QStringList{QStringLiteral("create"), QStringLiteral("Home")} + db()).status, 0);
    p.start(QStringLiteral(TAVRINO_BIN_DIR "/tavrino-cli"),
            QStringList{QStringLiteral("dump"), QStringLiteral("Home")} + db());
    ASSERT_TRUE(p.waitForStarted());
    QThread::msleep(300); // at its prompt, waiting for the password
    const QByteArray limits =
        readFile(QStringLiteral("/proc/%1/limits").arg(p.processId()));
    EXPECT_TRUE(limits.contains("Max core file size        0                    0"))
        << limits.toStdString();
    p.kill();
    p.waitForFinished();
}

// One record's whole life from the command line: added with its password
// from standard input, found, shown (the password only when asked),
// changed, removed; the login changed; secrets never on the command line.
TEST_F(Cli, RecordCommandsAndALoginChange) {
    const QString database = QStringLiteral("--database=") + dir.path();
    ASSERT_EQ(cli({QStringLiteral("create"), QStringLiteral("Home"), database}).status, 0);
    auto run = [&](QStringList args, const QByteArray& input) {
        args << database;
        const CliRun r = cli(args, input);
        EXPECT_EQ(r.status, 0) << args.join(QLatin1Char(' ')).toStdString() << ": " << r.err.toStdString();
        return r.out;
    };
    EXPECT_EQ(run({QStringLiteral("add"), QStringLiteral("Home"), QStringLiteral("Chess club"),
                   QStringLiteral("knight"), QStringLiteral("--url"), QStringLiteral("https://chess.example"),
                   QStringLiteral("--category=Games")},
                  "QUILT\ne4 e5!\n"),
              QStringLiteral("added Chess club to Home\n"));
    EXPECT_EQ(run({QStringLiteral("search"), QStringLiteral("Home"), QStringLiteral("CHESS"), QStringLiteral("example")}, "QUILT\n"),
              QStringLiteral("Chess club\tknight\thttps://chess.example\n"));
    EXPECT_EQ(run({QStringLiteral("search"), QStringLiteral("Home"), QStringLiteral("e5")}, "QUILT\n"), QString())
        << "never by the password";
    const QString shown = run({QStringLiteral("show"), QStringLiteral("Home"), QStringLiteral("chess club")}, "QUILT\n");
    EXPECT_TRUE(shown.contains(QStringLiteral("Category: Games\n")));
    EXPECT_FALSE(shown.contains(QStringLiteral("e4 e5!")));
    EXPECT_EQ(run({QStringLiteral("show"), QStringLiteral("Home"), QStringLiteral("Chess club"), QStringLiteral("--password")}, "QUILT\n"),
              QStringLiteral("e4 e5!\n"));
    run({QStringLiteral("edit"), QStringLiteral("Home"), QStringLiteral("Chess club"), QStringLiteral("--password"),
         QStringLiteral("--email"), QStringLiteral("k@chess.example")},
        "QUILT\nd4!\n");
    EXPECT_EQ(run({QStringLiteral("show"), QStringLiteral("Home"), QStringLiteral("Chess club"), QStringLiteral("--password")}, "QUILT\n"),
              QStringLiteral("d4!\n"));
    const CliRun barred = cli({QStringLiteral("edit"), QStringLiteral("Home"), QStringLiteral("Chess club"),
                               QStringLiteral("--notes=a|b"), database},
                              "QUILT\n");
    EXPECT_EQ(barred.status, 1);
    EXPECT_TRUE(barred.err.contains(QStringLiteral("\"|\""))) << barred.err.toStdString();
    const CliRun badDate = cli({QStringLiteral("edit"), QStringLiteral("Home"), QStringLiteral("Chess club"),
                                QStringLiteral("--expiry=soon"), database},
                               "QUILT\n");
    EXPECT_EQ(badDate.status, 1);

    run({QStringLiteral("passwd"), QStringLiteral("Home")}, "QUILT\nN3w login\nN3w login\n");
    EXPECT_EQ(cli({QStringLiteral("dump"), QStringLiteral("Home"), database}, "QUILT\n").status, 1);
    EXPECT_EQ(cli({QStringLiteral("passwd"), QStringLiteral("Home"), database}, "N3w login\na\nb\n").status, 1)
        << "two different new passwords";
    EXPECT_EQ(run({QStringLiteral("rm"), QStringLiteral("Home"), QStringLiteral("Chess club")}, "N3w login\n"),
              QStringLiteral("removed Chess club from Home\n"));
    EXPECT_EQ(cli({QStringLiteral("rm"), QStringLiteral("Home"), QStringLiteral("Chess club"), database}, "N3w login\n").status, 1);
}

TEST_F(Cli, GenerateVersionAndListWithoutSettings) {
    const CliRun made = cli({QStringLiteral("generate"), QStringLiteral("--length=30")});
    ASSERT_EQ(made.status, 0);
    EXPECT_EQ(made.out.trimmed().size(), 30);
    EXPECT_FALSE(made.out.contains(QLatin1Char('|')));
    EXPECT_TRUE(made.err.startsWith(QStringLiteral("strength: "))) << made.err.toStdString();
    EXPECT_EQ(cli({QStringLiteral("generate"), QStringLiteral("--length=3")}).status, 1);
    EXPECT_EQ(cli({QStringLiteral("generate"), QStringLiteral("--length=9"), QStringLiteral("--words=4")}).status, 2);
    EXPECT_EQ(cli({QStringLiteral("--version")}).out, QStringLiteral("tavrino-cli 3.0\n"));
    const CliRun list = cli({QStringLiteral("list")});
    EXPECT_EQ(list.status, 1) << "no settings yet: said, not an empty list";
    EXPECT_TRUE(list.err.contains(QStringLiteral("run tavrino-cli init"))) << list.err.toStdString();
}

// A mistyped or missing folder is no empty team folder: list and fix-access
// fail with one line naming it and why.
TEST_F(Cli, AFolderThatCanNotBeReadIsSaidSo) {
    const QString missing = dir.filePath(QStringLiteral("nowhere"));
    for (const char* command : {"list", "fix-access"}) {
        const CliRun run = cli({QString::fromLatin1(command), QStringLiteral("--database"), missing});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_TRUE(run.out.isEmpty()) << command;
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << command << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("cannot read the database folder ") + missing +
                                     QStringLiteral(": No such file or directory")))
            << command << run.err.toStdString();
    }
}

} // namespace
