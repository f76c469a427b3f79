#include "store_fixture.h"
#include "support/child_process.h"
#include "support/held_elsewhere.h"

#include "store/held_file.h"

#include <QDir>

using namespace tavrino;
using namespace tavrino::test;

namespace {

const QString ReadErrorTail = QStringLiteral("\r\nPlease close application and re-open.");
const QString InUse = QStringLiteral("The profile is being saved on another workstation, or a "
                                     "Windows workstation has it open, just now.");

QList<QByteArray> crlfLines(const QByteArray& file) {
    QList<QByteArray> lines = file.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray& l : lines)
        l.chop(1);
    return lines;
}

QByteArray joinCrlf(const QList<QByteArray>& lines) {
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

struct Damage {
    const char* what;
    std::function<QByteArray(const QByteArray& work, const QByteArray& home)> make;
    QStringList messages;
    bool loaded;
    int endings;
    int ends; // 1: the use of the profile ends (the vault goes back to the login)
};

class DamagedFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFile, TakesItsPathAndLeavesTheFileAlone) {
    const Damage& d = GetParam();
    StoreFixture f;
    const QByteArray damaged = d.make(readFile(fixturePath(QStringLiteral("Work.dat"))),
                                      readFile(fixturePath(QStringLiteral("Home.dat"))));
    writeFile(f.path(QStringLiteral("Work.dat")), damaged);
    f.profile.Security.UserId = QStringLiteral("before");
    f.profile.ChangeStamp = 77;

    EXPECT_EQ(f.open(QStringLiteral("Work.dat")), d.loaded);
    EXPECT_EQ(f.profile.ProfileLoaded, d.loaded);
    EXPECT_EQ(f.messages.texts(), d.messages);
    EXPECT_EQ(f.endings, d.endings);
    EXPECT_EQ(f.store.readFailed(), d.ends != 0);
    EXPECT_EQ(readFile(f.path(QStringLiteral("Work.dat"))), damaged);
    QStringList files = QDir(f.dir.path()).entryList(QDir::Files);
    files.removeAll(QStringLiteral("TavrinoErrors.log"));
    EXPECT_EQ(files, QStringList{QStringLiteral("Work.dat")});
}

QByteArray removeLine(const QByteArray& w, int n) {
    auto l = crlfLines(w);
    l.removeAt(n);
    return joinCrlf(l);
}

const QStringList CountMessage{QStringLiteral("Invalid Data!.")};
const QStringList DecryptMessage{QStringLiteral("Invalid data.")};

INSTANTIATE_TEST_SUITE_P(
    Paths, DamagedFile,
    ::testing::Values(
        Damage{"record line removed", [](auto w, auto) { return removeLine(w, 8); }, CountMessage,
               true, 0, 1},
        Damage{"record line added",
               [](auto w, auto) {
                   auto l = crlfLines(w);
                   l.insert(8, l[8]);
                   return joinCrlf(l);
               },
               CountMessage, true, 0, 1},
        Damage{"record line altered",
               [](auto w, auto) {
                   auto l = crlfLines(w);
                   l[6][10] = l[6][10] == 'A' ? 'B' : 'A';
                   return joinCrlf(l);
               },
               DecryptMessage, false, 1, 0},
        Damage{"blank line after line 0",
               [](auto w, auto) {
                   auto l = crlfLines(w);
                   l.insert(1, QByteArray());
                   return joinCrlf(l);
               },
               DecryptMessage, false, 1, 0},
        Damage{"key line of another file",
               [](auto w, auto h) {
                   auto l = crlfLines(w);
                   l[0] = crlfLines(h)[0];
                   return joinCrlf(l);
               },
               DecryptMessage, false, 1, 0},
        Damage{"not hexadecimal",
               [](auto w, auto) {
                   auto l = crlfLines(w);
                   l[4] = QByteArray(l[4].size(), 'Z');
                   return joinCrlf(l);
               },
               QStringList{QStringLiteral("An Error has occurred!. The error is : \r\nLine 4 is "
                                          "not hexadecimal text  ReadFromFile (13)") +
                           ReadErrorTail},
               false, 0, 1},
        // No save writes an empty file: damaged, not a profile without a login.
        Damage{"empty file", [](auto, auto) { return QByteArray(); },
               QStringList{QStringLiteral("An Error has occurred!. The error is : \r\nWork.dat is "
                                          "damaged  ReadFromFile (84)") +
                           ReadErrorTail},
               false, 0, 1},
        Damage{"one line", [](auto w, auto) { return crlfLines(w)[0] + "\r\n"; }, CountMessage,
               true, 0, 1}),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param.what);
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
        return name.toStdString();
    });


TEST(ReadFromFile, LineWithAnExtraSeparatorIsReportedButLoaded) {
    StoreFixture f;
    Profile p;
    p.resetToNewProfileDefaults();
    p.Records.add(QStringLiteral("4|Web|Forum|bob|pa|ss||||"));
    writeFile(f.path(QStringLiteral("Pipe.dat")),
              ProfileFormat::write(p, 3, QStringLiteral("1.11"), true, f.cipher));
    EXPECT_TRUE(f.open(QStringLiteral("Pipe.dat")));
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("Invalid Data")});
    EXPECT_EQ(f.profile.Records.count(), 1);
    EXPECT_TRUE(f.logText().contains(QStringLiteral("\"RSumofAC\"")));
}

// Opened for a login, the records stay encrypted until it succeeds: a damaged
// one is reported then, once; the settings' lines are checked at the open;
// nothing is saved before.
TEST(ReadFromFile, ForALoginTheRecordsAreDecryptedOnlyOnceItSucceeds) {
    StoreFixture f;
    Profile p;
    p.resetToNewProfileDefaults();
    p.Records.add(QStringLiteral("4|Web|Forum|bob|pa|ss||||"));
    p.Records.add(QStringLiteral("4|Web|Mail|bob|pw||||"));
    p.Security.Questions.add(QStringLiteral("5|Pet?|cat|extra"));
    writeFile(f.path(QStringLiteral("Pipe.dat")),
              ProfileFormat::write(p, 3, QStringLiteral("1.11"), true, f.cipher));
    f.profile.ProfileFileName = QStringLiteral("Pipe.dat");
    f.store.read(true, true, true);
    EXPECT_TRUE(f.profile.ProfileLoaded);
    EXPECT_EQ(f.store.takeNotices().size(), 1) << "the question's line";
    EXPECT_EQ(f.profile.Records.count(), 0);
    EXPECT_EQ(f.profile.Security.Questions.count(), 2);
    EXPECT_FALSE(f.store.isOpened());
    EXPECT_EQ(f.store.save(true), StoreStep::Finished);
    EXPECT_FALSE(f.profile.ProfileSaved) << "a save now would lose the records";
    f.store.takeNotices();

    EXPECT_FALSE(f.store.logIn({}, QStringLiteral("wrong"), {}));
    EXPECT_EQ(f.profile.Records.count(), 0) << "a wrong login decrypts no record";
    ASSERT_TRUE(f.store.logIn({}, QStringLiteral("QUILT"), {}));
    EXPECT_TRUE(f.store.isOpened());
    EXPECT_EQ(f.store.takeNotices().size(), 1) << "the record's line, not the question's again";
    EXPECT_EQ(f.profile.Records.count(), 2);
    EXPECT_EQ(f.logText().count(QStringLiteral("\"RSumofAC\"")), 2);
    f.profile.Records.remove(2);
    EXPECT_EQ(f.waiting.save(), SaveOutcome::Saved);
}

// The file read ahead on a thread of its own (while the window is built)
// opens exactly as one read at the open: the same content, the same notices
// for a damaged line, the same records after the login.
TEST(ReadFromFile, AFileReadAheadOpensAsIfReadAtTheOpen) {
    StoreFixture made;
    Profile p;
    p.resetToNewProfileDefaults();
    p.Records.add(QStringLiteral("4|Web|Forum|bob|pw||||"));
    p.Security.Questions.add(QStringLiteral("5|Pet?|cat|extra"));
    const QByteArray damaged = ProfileFormat::write(p, 3, QStringLiteral("1.11"), true, made.cipher);
    const QByteArray work = readFile(fixturePath(QStringLiteral("Work.dat")));
    struct Case {
        const char* what;
        QByteArray file;
        QString password;
    };
    for (const Case& c : {Case{"whole", work, QStringLiteral("S3cret pass")},
                          Case{"a damaged question line", damaged, QStringLiteral("QUILT")}}) {
        SCOPED_TRACE(c.what);
        StoreFixture ahead, atOpen;
        for (StoreFixture* f : {&ahead, &atOpen}) {
            writeFile(f->path(QStringLiteral("Team.dat")), c.file);
            f->profile.ProfileFileName = QStringLiteral("Team.dat");
        }
        ahead.store.readAhead(QStringLiteral("Team.dat"));
        for (StoreFixture* f : {&ahead, &atOpen})
            ASSERT_EQ(f->store.read(true, true, true), StoreStep::Finished);
        EXPECT_EQ(ahead.profile.ProfileLoaded, atOpen.profile.ProfileLoaded);
        EXPECT_EQ(ahead.store.takeNotices().size(), atOpen.store.takeNotices().size());
        EXPECT_EQ(ahead.store.knownLook(), FileOps::lookOf(ahead.path(QStringLiteral("Team.dat"))));
        for (StoreFixture* f : {&ahead, &atOpen}) {
            const int mode = f->profile.Security.LoginMode;
            ASSERT_TRUE(f->store.logIn(mode >= 2 ? QStringLiteral("alice") : QString(), c.password,
                                       mode >= 3 ? QStringLiteral("4711") : QString()));
        }
        const Profile &a = ahead.profile, &b = atOpen.profile;
        EXPECT_EQ(a.ChangeStamp, b.ChangeStamp);
        EXPECT_TRUE(a.Security.sameLogin(b.Security));
        EXPECT_EQ(a.Security.AnswersRequired, b.Security.AnswersRequired);
        EXPECT_EQ(a.Security.Questions.lines(), b.Security.Questions.lines());
        EXPECT_EQ(a.Categories.lines(), b.Categories.lines());
        EXPECT_EQ(a.Records.lines(), b.Records.lines());
        EXPECT_EQ(ahead.store.takeNotices().size(), atOpen.store.takeNotices().size());
    }
    // And where it is one of ours, exactly the fixture's content.
    StoreFixture f;
    copyFixture(f.dir, QStringLiteral("Work.dat"));
    f.profile.ProfileFileName = QStringLiteral("Work.dat");
    f.store.readAhead(QStringLiteral("Work.dat"));
    f.store.read(true, true, true);
    ASSERT_TRUE(f.store.logIn(QStringLiteral("alice"), QStringLiteral("S3cret pass"),
                              QStringLiteral("4711")));
    expectContent(f.profile, ExpectedProfile(QStringLiteral("Work.json")).json);
}

TEST(ReadFromFile, CategoriesDifferingOnlyInCaseDoNotLoad) {
    StoreFixture f;
    Profile p;
    p.resetToNewProfileDefaults();
    p.Categories.add(Profile::categoryLine(QStringLiteral("Bank")), QStringLiteral("x1"));
    p.Categories.add(Profile::categoryLine(QStringLiteral("BANK")), QStringLiteral("x2"));
    writeFile(f.path(QStringLiteral("Case.dat")),
              ProfileFormat::write(p, 3, QStringLiteral("1.11"), true, f.cipher));
    EXPECT_FALSE(f.open(QStringLiteral("Case.dat")));
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.shown[0].text.startsWith(
        QStringLiteral("An Error has occurred!. The error is : \r\n")));
    EXPECT_TRUE(
        f.messages.shown[0].text.endsWith(QStringLiteral("  ReadFromFile (457)") + ReadErrorTail));
    EXPECT_TRUE(f.logText().contains(QStringLiteral("\"ReadFromFile\",\"457\"")));
}

TEST(ReadFromFile, MissingFileShowsTheReadErrorOnlyWhenAsked) {
    StoreFixture f;
    f.profile.ProfileFileName = QStringLiteral("Nope.dat");
    EXPECT_FALSE(f.waiting.read(false));
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_FALSE(f.waiting.read(true));
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral("An Error has occurred!. The error is : \r\nNo such file "
                                         "or directory  ReadFromFile (2)") +
                          ReadErrorTail});
    EXPECT_TRUE(f.store.readFailed());
    EXPECT_EQ(f.profile.ProfilePath, f.path(QStringLiteral("Nope.dat")));
}

// Several people in one profile: an open profile keeps nobody out.
TEST(ProfileHold, AnOpenProfileStopsNobodyFromOpeningAndSaving) {
    StoreFixture f;
    copyFixture(f.dir, QStringLiteral("Home.dat"));
    ASSERT_TRUE(f.open(QStringLiteral("Home.dat")));
    ChildProcess other([&] {
        StoreFixture g;
        g.store.setDatabaseFolder(f.dir.path());
        if (!g.open(QStringLiteral("Home.dat"))) return 1;
        g.profile.Records.add(QStringLiteral("4|Web|theirs|them|pw||||"));
        return g.waiting.save() == SaveOutcome::Saved ? 0 : 2;
    });
    EXPECT_EQ(other.result(), 0);
    ASSERT_TRUE(f.open(QStringLiteral("Home.dat")));
    EXPECT_TRUE(f.profile.Records.lines().last().contains(QStringLiteral("theirs")));
}

TEST(WriteToFile, SavesInPlaceHoldsTheNewFileAndCountsStamps) {
    StoreFixture f;
    copyFixture(f.dir, QStringLiteral("Work.dat"));
    ASSERT_TRUE(f.open(QStringLiteral("Work.dat")));
    const std::int32_t stamp = f.profile.ChangeStamp;
    f.profile.Records.add(QStringLiteral("4|Web|New one|me|pw|||https://new.example|"));
    f.waiting.save();
    ASSERT_TRUE(f.profile.ProfileSaved) << f.messages.texts().join(QLatin1Char('|')).toStdString();
    f.waiting.save();
    ASSERT_TRUE(f.profile.ProfileSaved) << f.messages.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(f.profile.ChangeStamp, stamp + 2);
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Work.dat")});

    StoreFixture g;
    g.store.setDatabaseFolder(f.dir.path());
    ASSERT_TRUE(g.open(QStringLiteral("Work.dat")));
    EXPECT_EQ(g.profile.ChangeStamp, stamp + 2);
    EXPECT_EQ(g.profile.Records.lines(), f.profile.Records.lines());
}

// Invalid data met while a save checks the change stamp ends the program:
// by then the profile is back under its name, not left as its ".bak" for
// every other workstation to wait out.
TEST(WriteToFile, InvalidDataAtTheStampCheckPutsTheProfileBackFirst) {
    StoreFixture f;
    copyFixture(f.dir, QStringLiteral("Work.dat"));
    ASSERT_TRUE(f.open(QStringLiteral("Work.dat")));
    QList<QByteArray> lines = crlfLines(readFile(f.path(QStringLiteral("Work.dat"))));
    lines[0] = crlfLines(readFile(fixturePath(QStringLiteral("Home.dat"))))[0];
    writeFile(f.path(QStringLiteral("Work.dat")), joinCrlf(lines));
    QStringList filesAtTheEnd;
    f.cipher.setEndingHandler([&] {
        filesAtTheEnd = QDir(f.dir.path()).entryList(QDir::Files);
        filesAtTheEnd.removeAll(QStringLiteral("TavrinoErrors.log"));
    });
    f.profile.Records.add(QStringLiteral("4|Web|New one|me|pw|||https://new.example|"));
    f.waiting.save();
    EXPECT_FALSE(f.profile.ProfileSaved);
    EXPECT_EQ(filesAtTheEnd, QStringList{QStringLiteral("Work.dat")});
    EXPECT_EQ(f.messages.texts().value(0), QStringLiteral("Invalid data."));
}

TEST(WriteToFile, ASaveInProgressElsewhereFailsAfterFiveAttempts) {
    StoreFixture f;
    copyFixture(f.dir, QStringLiteral("Work.dat"));
    ASSERT_TRUE(f.open(QStringLiteral("Work.dat")));
    const QByteArray before = readFile(f.path(QStringLiteral("Work.dat")));
    auto holder = std::make_unique<SaveInProgressElsewhere>(f.path(QStringLiteral("Work.dat")));

    const std::int32_t stamp = f.profile.ChangeStamp;
    f.profile.Records.add(QStringLiteral("4|Web|lost|me|pw||||"));
    f.waiting.save();
    EXPECT_FALSE(f.profile.ProfileSaved);
    EXPECT_EQ(f.profile.ChangeStamp, stamp) << "a failed save leaves the stamp alone";
    EXPECT_EQ(f.pause.pauses, QList<int>({3000, 3000, 3000, 3000}));
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("WriteToFile"));
    EXPECT_EQ(f.messages.shown[0].text,
              QStringLiteral("An Error has occurred!. The error is : \r\n") + InUse +
                  QStringLiteral("(11)\r\nPlease try again in a moment."));
    EXPECT_TRUE(f.logText().contains(QStringLiteral("\"Writetofile\",\"11\"")));
    holder->finish();
    EXPECT_EQ(readFile(f.path(QStringLiteral("Work.dat"))), before);
    EXPECT_FALSE(FileOps::exists(f.path(QStringLiteral("Work.dat.bak"))));

    // Once the other instance lets go, the same change saves.
    f.messages.shown.clear();
    f.waiting.save();
    EXPECT_TRUE(f.profile.ProfileSaved);
    EXPECT_EQ(f.profile.ChangeStamp, stamp + 1);
}

// Another workstation saves between our read and our save.
struct SavedElsewhere {
    StoreFixture f;
    explicit SavedElsewhere(bool changeLogin) {
        copyFixture(f.dir, QStringLiteral("Work.dat"));
        EXPECT_TRUE(f.open(QStringLiteral("Work.dat")));
        ChildProcess other([&] {
            StoreFixture g;
            g.store.setDatabaseFolder(f.dir.path());
            if (!g.open(QStringLiteral("Work.dat"))) return 1;
            g.profile.Records.add(QStringLiteral("4|Bank|theirs|them|pw||||"));
            if (changeLogin) g.profile.Security.Password = QStringLiteral("changed");
            g.waiting.save();
            return g.profile.ProfileSaved ? 0 : 2;
        });
        EXPECT_EQ(other.result(), 0);
        f.profile.Records.add(QStringLiteral("4|Bank|mine|me|pw||||"));
    }
    QStringList descriptionsOnDisk() {
        StoreFixture g;
        g.store.setDatabaseFolder(f.dir.path());
        g.open(QStringLiteral("Work.dat"));
        QStringList out;
        for (const QString& line : g.profile.Records.lines())
            out << PasswordRecord::fromLine(line)[PasswordRecord::Description];
        return out;
    }
};

TEST(Conflict, ANewerSaveElsewhereGetsOurChangeAddedNotOverwritten) {
    SavedElsewhere s(false);
    StoreFixture& f = s.f;
    EXPECT_EQ(f.waiting.save(), SaveOutcome::Merged);
    EXPECT_TRUE(f.profile.ProfileSaved);
    EXPECT_TRUE(f.messages.texts().isEmpty()) << "the caller says it was merged";
    EXPECT_EQ(f.profile.ChangeStamp, 43) << "one past theirs";
    EXPECT_EQ(s.descriptionsOnDisk().mid(12),
              QStringList({QStringLiteral("theirs"), QStringLiteral("mine")}));
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Work.dat")});

    // The next save starts from the merged version and goes through.
    f.waiting.save();
    EXPECT_EQ(f.store.lastSaveOutcome(), SaveOutcome::Saved);
    EXPECT_EQ(f.profile.ChangeStamp, 44);
}

TEST(Conflict, ANewLoginElsewhereKeepsOurChangeForAfterTheLogin) {
    SavedElsewhere s(true);
    StoreFixture& f = s.f;
    EXPECT_EQ(f.waiting.save(), SaveOutcome::ConflictLogin);
    EXPECT_FALSE(f.profile.ProfileSaved);
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral(
                  "The profile has been modified by another user.\r\nYou will have to login "
                  "again.\r\nYour change is kept and will be saved once you have logged in.")});
    EXPECT_EQ(f.profile.ChangeStamp, 42);
    EXPECT_TRUE(f.profile.Records.lines().last().contains(QStringLiteral("theirs")));
    EXPECT_EQ(s.descriptionsOnDisk().last(), QStringLiteral("theirs"));

    // Another profile opened first: the change stays kept for its own.
    copyFixture(f.dir, QStringLiteral("Home.dat"));
    ASSERT_TRUE(f.open(QStringLiteral("Home.dat")));
    EXPECT_FALSE(f.store.hasPendingChange());
    EXPECT_EQ(f.store.keptChanges().profiles(), QStringList{QStringLiteral("Work.dat")});

    // Opened again (as a lock does) and logged in: the change goes in, and
    // is kept until its save has landed.
    ASSERT_TRUE(f.open(QStringLiteral("Work.dat")));
    ASSERT_TRUE(f.store.hasPendingChange());
    ASSERT_TRUE(f.store.takePendingChange());
    EXPECT_TRUE(f.store.hasPendingChange());
    EXPECT_EQ(f.waiting.save(), SaveOutcome::Saved);
    EXPECT_TRUE(f.store.keptChanges().isEmpty());
    EXPECT_EQ(s.descriptionsOnDisk().mid(12),
              QStringList({QStringLiteral("theirs"), QStringLiteral("mine")}));
    EXPECT_FALSE(f.store.hasPendingChange());
}

TEST(Conflict, ARecordChangedOnBothSidesIsKeptTwiceWhenNobodyCanBeAsked) {
    StoreFixture f;
    copyFixture(f.dir, QStringLiteral("Work.dat"));
    ASSERT_TRUE(f.open(QStringLiteral("Work.dat")));
    const QString first = f.profile.Records.item(1);
    auto changed = [&](const QString& password) {
        PasswordRecord r = PasswordRecord::fromLine(first);
        r[PasswordRecord::Password] = password;
        return r.toLine();
    };
    ChildProcess other([&] {
        StoreFixture g;
        g.store.setDatabaseFolder(f.dir.path());
        if (!g.open(QStringLiteral("Work.dat"))) return 1;
        g.profile.Records.remove(1);
        g.profile.Records.add(changed(QStringLiteral("theirs")));
        g.waiting.save();
        return g.profile.ProfileSaved ? 0 : 2;
    });
    ASSERT_EQ(other.result(), 0);
    f.profile.Records.remove(1);
    f.profile.Records.add(changed(QStringLiteral("mine")));
    EXPECT_EQ(f.waiting.save(), SaveOutcome::Merged);
    EXPECT_EQ(f.waiting.keptBoth(), 1);
    EXPECT_EQ(f.profile.Records.count(), 13);
    EXPECT_TRUE(f.profile.Records.lines().contains(changed(QStringLiteral("theirs"))));
    EXPECT_TRUE(f.profile.Records.lines().contains(
        ProfileMerge::markedAsMine(changed(QStringLiteral("mine")))));
    EXPECT_FALSE(f.profile.Records.lines().contains(first));
}

// What a saver that died leaves, and what an open makes of it: a save in
// progress until it has stood unchanged for the abandoned age, then recovered.
struct Leftover {
    const char* what;
    const char* dat; // what stands as Work.dat: "", "complete", "damaged", "empty"
    QStringList filesAfter;
    std::int32_t stampAfter; // 1: Home's content, 41: the backup's (Work)
};

class StaleBackup : public ::testing::TestWithParam<Leftover> {};

TEST_P(StaleBackup, IsWaitedForThenRecovered) {
    const Leftover& l = GetParam();
    StoreFixture f;
    const QByteArray work = readFile(fixturePath(QStringLiteral("Work.dat")));
    const QByteArray home = readFile(fixturePath(QStringLiteral("Home.dat")));
    writeFile(f.path(QStringLiteral("Work.dat.bak")), work);
    const QByteArray dat = QByteArray(l.dat) == "complete"  ? home
                           : QByteArray(l.dat) == "damaged" ? removeLine(home, 2)
                                                            : QByteArray();
    if (*l.dat) writeFile(f.path(QStringLiteral("Work.dat")), dat);

    EXPECT_FALSE(f.open(QStringLiteral("Work.dat")));
    EXPECT_EQ(f.pause.pauses, QList<int>({3000, 3000, 3000, 3000}));
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.shown[0].text.contains(
        InUse + QStringLiteral("  ReadFromFile (11)\r\nPlease try again in a moment.")));
    EXPECT_EQ(readFile(f.path(QStringLiteral("Work.dat.bak"))), work) << "nothing repaired yet";

    f.messages.shown.clear();
    f.waitTillAbandoned();
    ASSERT_TRUE(f.open(QStringLiteral("Work.dat")));
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_EQ(f.profile.ChangeStamp, l.stampAfter);
    QStringList files = QDir(f.dir.path()).entryList(QDir::Files);
    files.removeAll(QStringLiteral("TavrinoErrors.log"));
    EXPECT_EQ(files, l.filesAfter);
    if (QByteArray(l.dat) == "damaged") {
        EXPECT_EQ(readFile(f.path(QStringLiteral("Work.dat.damaged"))), dat) << "kept aside";
    }
    EXPECT_TRUE(f.logText().contains(QStringLiteral("interrupted save")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StaleBackup,
    ::testing::Values(Leftover{"no_dat", "", {QStringLiteral("Work.dat")}, 41},
                      Leftover{"complete_dat", "complete", {QStringLiteral("Work.dat")}, 1},
                      Leftover{"empty_dat", "empty", {QStringLiteral("Work.dat")}, 41},
                      Leftover{"damaged_dat",
                               "damaged",
                               {QStringLiteral("Work.dat"), QStringLiteral("Work.dat.damaged")},
                               41}),
    [](const auto& info) { return std::string(info.param.what); });

// A save in progress elsewhere that ends while we wait: the open goes through.
TEST(StaleBackup, OpenWaitsForASaveInProgress) {
    struct FinishingSave : PauseService {
        QString backup, dat;
        int pauses = 0;
        void pause(int) override {
            if (++pauses == 2) FileOps::renameNoReplace(backup, dat);
        }
    };
    StoreFixture f;
    FinishingSave save;
    save.backup = f.path(QStringLiteral("Work.dat.bak"));
    save.dat = f.path(QStringLiteral("Work.dat"));
    WaitingStore waiting(f.store, save, f.messages);
    writeFile(save.backup, readFile(fixturePath(QStringLiteral("Work.dat"))));
    f.profile.ProfileFileName = QStringLiteral("Work.dat");
    EXPECT_TRUE(waiting.read());
    EXPECT_EQ(save.pauses, 2);
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_EQ(f.profile.ChangeStamp, 41);
}

} // namespace

namespace {

// A profile the user may only read still opens.
TEST(ReadFromFile, ReadOnlyProfileOpens) {
    StoreFixture f;
    const QString path = copyFixture(f.dir, QStringLiteral("Home.dat"));
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_TRUE(f.open(QStringLiteral("Home.dat")));
}

} // namespace

namespace {

// Whatever stamp a file carries, a profile that opens can be saved, and the
// saved stamp is a change for every other workstation.
TEST(WriteToFile, OddStoredStampsStillSave) {
    const struct {
        std::int32_t stored, opened, saved;
    } cases[] = {{-1, 0, 1}, {-2, 0, 1}, {2147483647, 2147483647, 1}, {2147483639, 2147483639, 1}};
    for (const auto& c : cases) {
        StoreFixture f;
        Profile p;
        p.resetToNewProfileDefaults();
        writeFile(f.path(QStringLiteral("Odd.dat")),
                  ProfileFormat::write(p, c.stored, QStringLiteral("1.11"), true, f.cipher));
        ASSERT_TRUE(f.open(QStringLiteral("Odd.dat")));
        EXPECT_EQ(f.profile.ChangeStamp, c.opened) << c.stored;
        f.waiting.save();
        EXPECT_TRUE(f.profile.ProfileSaved)
            << c.stored << ": " << f.messages.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(f.profile.ChangeStamp, c.saved) << c.stored;
    }
}

} // namespace

namespace {

// A file no profile can be is refused before it costs memory: too large a
// file, too long a line, or millions of empty lines.
TEST(ReadFromFile, FilesNoProfileCanBeAreRefusedEarly) {
    StoreFixture f;
    const QString huge = f.path(QStringLiteral("Huge.dat"));
    {
        QFile file(huge); // sparse: no disk used
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(ProfileFormat::MaxFileBytes + 1));
    }
    EXPECT_FALSE(f.open(QStringLiteral("Huge.dat")));
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral("An Error has occurred!. The error is : \r\nFile too "
                                         "large  ReadFromFile (27)\r\nPlease close application "
                                         "and re-open.")});

    f.messages.shown.clear();
    QByteArray longLine = readFile(fixturePath(QStringLiteral("Home.dat")));
    longLine.insert(longLine.indexOf("\r\n") + 2, QByteArray(ProfileFormat::MaxLineBytes + 2, 'A'));
    writeFile(f.path(QStringLiteral("Long.dat")), longLine);
    EXPECT_FALSE(f.open(QStringLiteral("Long.dat")));
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.shown[0].text.contains(
        QStringLiteral("Line 1 is longer than any line of a profile can be  ReadFromFile (27)")));

    Profile scratch;
    const ProfileFormat::ReadOutcome newlines =
        ProfileFormat::read(QByteArray(50 * 1024 * 1024, '\n'), scratch, f.cipher);
    EXPECT_EQ(newlines.kind, ProfileFormat::ReadOutcome::InvalidData);
    EXPECT_EQ(newlines.linesRead, 1) << "stops at the first line that can't be";
}

} // namespace
