#include "store_fixture.h"
#include "support/held_elsewhere.h"
#include "store/stamp_memory.h"

#include "shell/settings_store.h"
#include "store/profile_manager.h"
#include "store/sealed_format.h"

using namespace tavrino;
using namespace tavrino::test;

namespace {

// A workstation: its own store and manager over the shared folder.
struct Workstation : StoreFixture {
    QTemporaryDir appDir;
    SettingsStore settings{dir.filePath(QStringLiteral("settings.ini.txt")), appDir.path()};
    ProfileManager manager{store, settings, messages};
    explicit Workstation(const QString& folder = {}) {
        settings.createMissingKeys(folder.isEmpty() ? dir.path() : folder);
        store.setDatabaseFolder(folder.isEmpty() ? dir.path() : folder);
    }
    PasswordRecord record(const char* description) {
        PasswordRecord r;
        r[PasswordRecord::Description] = QString::fromUtf8(description);
        r[PasswordRecord::UserCode] = QStringLiteral("user");
        r[PasswordRecord::Password] = QStringLiteral("pw");
        return r;
    }
};

TEST(SealedStore, CreatedListedOpenedOnlyByItsLoginAndSavedSealed) {
    Workstation w;
    ASSERT_TRUE(w.manager.CreateProfile(QStringLiteral("Vault"), true));
    EXPECT_TRUE(QFile::exists(w.path(QStringLiteral("Vault.sealed"))));
    EXPECT_FALSE(QFile::exists(w.path(QStringLiteral("Vault.dat"))));
    EXPECT_EQ(w.manager.ListProfiles(), QStringList{QStringLiteral("Vault")});
    EXPECT_FALSE(w.manager.CreateProfile(QStringLiteral("vault"))) << "one name, either format";

    // Before the login: the header only, nothing secret in memory.
    ASSERT_TRUE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    EXPECT_TRUE(w.store.isSealed());
    EXPECT_FALSE(w.store.isOpened());
    EXPECT_EQ(w.profile.Security.LoginMode, 1);
    EXPECT_TRUE(w.profile.Security.Password.isEmpty());
    EXPECT_EQ(w.profile.Security.Questions.item(1), QStringLiteral("5|Default Question|"));
    w.waiting.save();
    EXPECT_FALSE(w.profile.ProfileSaved) << "an unopened sealed profile is never saved";

    EXPECT_FALSE(w.store.logIn({}, QStringLiteral("quilt"), {}));
    EXPECT_FALSE(w.store.isOpened());
    ASSERT_TRUE(w.store.logIn({}, QStringLiteral(" QUILT "), {}));
    EXPECT_EQ(w.profile.Security.Password, QStringLiteral("QUILT"));
    w.profile.Records.add(w.record("Sealed away").toLine());
    w.waiting.save();
    ASSERT_TRUE(w.profile.ProfileSaved);
    const QByteArray file = readFile(w.path(QStringLiteral("Vault.sealed")));
    EXPECT_TRUE(file.startsWith("TAVRINO-SEALED 1\nstamp 2\n"));
    EXPECT_FALSE(file.contains("Sealed away"));

    // The password changed: the old one opens it no more.
    w.profile.Security.Password = QStringLiteral("N3w pass");
    w.waiting.save();
    ASSERT_TRUE(w.profile.ProfileSaved);
    Workstation other(w.dir.path());
    ASSERT_TRUE(other.waiting.open(other.manager, QStringLiteral("Vault")));
    EXPECT_FALSE(other.store.logIn({}, QStringLiteral("QUILT"), {}));
    ASSERT_TRUE(other.store.logIn({}, QStringLiteral("N3w pass"), {}));
    ASSERT_EQ(other.profile.Records.count(), 1);
    EXPECT_TRUE(other.profile.Records.item(1).contains(QStringLiteral("Sealed away")));
    EXPECT_FALSE(other.store.logInByAnswers({QStringLiteral("QUILT"), {}, {}}))
        << "no key slot opens with the answer everybody knows";
    EXPECT_FALSE(readFile(w.path(QStringLiteral("Vault.sealed"))).contains("slot answers"))
        << "nor is there one to try offline";
}

// A lock forgets what the login opened: the keys, the login, the records,
// and the version kept to merge with; reading again gives the header only.
TEST(SealedStore, ALockForgetsTheKeysAndEverythingOpened) {
    Workstation w;
    ASSERT_TRUE(w.manager.CreateProfile(QStringLiteral("Vault"), true));
    ASSERT_TRUE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    ASSERT_TRUE(w.store.logIn({}, QStringLiteral("QUILT"), {}));
    w.profile.Records.add(w.record("Kept secret").toLine());
    w.waiting.save();
    ASSERT_TRUE(w.profile.ProfileSaved);

    w.store.forgetOpened();
    EXPECT_FALSE(w.store.isOpened());
    EXPECT_TRUE(w.profile.Security.Password.isEmpty());
    EXPECT_EQ(w.profile.Records.count(), 0);
    EXPECT_EQ(w.store.snapshot().base.Records.count(), 0);
    ASSERT_TRUE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    EXPECT_FALSE(w.store.isOpened()) << "no key left to read it whole with";
    EXPECT_EQ(w.profile.Records.count(), 0);
    ASSERT_TRUE(w.store.logIn({}, QStringLiteral("QUILT"), {}));
    EXPECT_EQ(w.profile.Records.count(), 1);
}

// A copy shared with another string is only let go, never overwritten
// under its other holder; a literal (read-only memory) is never written.
TEST(Wipe, LeavesSharedCopiesAndLiteralsAlone) {
    QString alone = QStringLiteral("secret") + QString::number(42);
    QString keep = alone; // shared: left as it is
    wipeText(alone);
    EXPECT_TRUE(alone.isEmpty());
    EXPECT_EQ(keep, QStringLiteral("secret42"));
    wipeText(keep); // now alone
    EXPECT_TRUE(keep.isEmpty());
    QString literal = QStringLiteral("QUILT");
    wipeText(literal); // no crash writing read-only memory
    EXPECT_TRUE(literal.isEmpty());
    EXPECT_EQ(QStringLiteral("QUILT"), QString::fromLatin1("QUILT"));
}

// Two workstations on one sealed profile: the later save meets the earlier
// one's stamp and adds its change to it instead of overwriting it.
TEST(SealedStore, TheLaterSaveMergesIntoTheEarlierOne) {
    Workstation a;
    ASSERT_TRUE(a.manager.CreateProfile(QStringLiteral("Vault"), true));
    Workstation b(a.dir.path());
    for (Workstation* w : {&a, &b}) {
        ASSERT_TRUE(w->waiting.open(w->manager, QStringLiteral("Vault")));
        ASSERT_TRUE(w->store.logIn({}, QStringLiteral("QUILT"), {}));
    }
    a.profile.Records.add(a.record("from a").toLine());
    a.waiting.save();
    ASSERT_TRUE(a.profile.ProfileSaved);
    b.profile.Records.add(b.record("from b").toLine());
    b.waiting.save();
    EXPECT_EQ(b.store.lastSaveOutcome(), SaveOutcome::Merged);
    ASSERT_EQ(b.profile.Records.count(), 2) << "a's save, read with the key b holds, and b's";
    EXPECT_TRUE(b.profile.Records.item(1).contains(QStringLiteral("from a")));
    EXPECT_TRUE(b.profile.Records.item(2).contains(QStringLiteral("from b")));
    EXPECT_TRUE(b.store.isOpened());
    Workstation c(a.dir.path());
    ASSERT_TRUE(c.waiting.open(c.manager, QStringLiteral("Vault")));
    ASSERT_TRUE(c.store.logIn({}, QStringLiteral("QUILT"), {}));
    EXPECT_EQ(c.profile.Records.count(), 2) << "both in the file";
}

// A save cut off after its lock: the ".sealed.bak" is recovered as a
// compatible one would be, once it has stood for the abandoned age.
TEST(SealedStore, AnAbandonedSaveIsRecovered) {
    Workstation w;
    ASSERT_TRUE(w.manager.CreateProfile(QStringLiteral("Vault"), true));
    const QByteArray whole = readFile(w.path(QStringLiteral("Vault.sealed")));
    ASSERT_TRUE(QFile::rename(w.path(QStringLiteral("Vault.sealed")),
                              w.path(QStringLiteral("Vault.sealed.bak"))));
    EXPECT_EQ(w.manager.ListProfiles(), QStringList{QStringLiteral("Vault")});
    EXPECT_FALSE(w.waiting.open(w.manager, QStringLiteral("Vault"))) << "a save in progress";
    w.waitTillAbandoned();
    w.messages.shown.clear();
    ASSERT_TRUE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    EXPECT_EQ(readFile(w.path(QStringLiteral("Vault.sealed"))), whole);
    EXPECT_FALSE(QFile::exists(w.path(QStringLiteral("Vault.sealed.bak"))));
    EXPECT_TRUE(w.store.logIn({}, QStringLiteral("QUILT"), {}));
}

TEST(SealedStore, ADamagedFileIsRefusedAndLeftAsItIs) {
    Workstation w;
    ASSERT_TRUE(w.manager.CreateProfile(QStringLiteral("Vault"), true));
    QByteArray file = readFile(w.path(QStringLiteral("Vault.sealed")));
    file[file.size() / 2] = static_cast<char>(file[file.size() / 2] ^ 0x20);
    writeFile(w.path(QStringLiteral("Vault.sealed")), file);
    EXPECT_FALSE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    EXPECT_TRUE(w.messages.texts().join(QLatin1Char(' ')).contains(QStringLiteral("damaged")));
    EXPECT_EQ(readFile(w.path(QStringLiteral("Vault.sealed"))), file);
}

} // namespace

namespace {

// A sealed profile is read again at its login: a save in progress elsewhere
// then is waited for, as a save waits, not taken for a wrong login.
TEST(SealedStore, ALoginMeetingASaveInProgressTriesAgain) {
    Workstation w;
    ASSERT_TRUE(w.manager.CreateProfile(QStringLiteral("Vault"), true));
    ASSERT_TRUE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    auto saving = std::make_unique<SaveInProgressElsewhere>(w.path(QStringLiteral("Vault.sealed")));
    QFile::remove(w.path(QStringLiteral("Vault.sealed"))); // moved aside by that save
    const auto login = [&] { return w.store.logIn({}, QStringLiteral("QUILT"), {}); };
    bool loggedIn = true;
    EXPECT_EQ(w.store.tryLogIn(login, false, loggedIn), StoreStep::TryAgain);
    EXPECT_FALSE(loggedIn);
    EXPECT_TRUE(w.store.takeNotices().isEmpty()) << "nothing to say yet";
    EXPECT_EQ(w.store.tryLogIn(login, true, loggedIn), StoreStep::Finished);
    EXPECT_FALSE(loggedIn);
    EXPECT_TRUE(w.store.readExplained()) << "in use, not a wrong login";

    // That save ends: the next attempt logs in.
    QFile::rename(w.path(QStringLiteral("Vault.sealed.bak")), w.path(QStringLiteral("Vault.sealed")));
    EXPECT_EQ(w.store.tryLogIn(login, false, loggedIn), StoreStep::Finished);
    EXPECT_TRUE(loggedIn);
}

} // namespace

namespace {

// NAME.dat beside NAME.sealed (a Windows workstation does not see the
// sealed one and may create the other): neither is opened, and the message
// names both and what to do.
TEST(SealedStore, ADatBesideTheSealedFileOpensNeither) {
    Workstation w;
    ASSERT_TRUE(w.manager.CreateProfile(QStringLiteral("Vault"), true));
    copyFixture(w.dir, QStringLiteral("Home.dat"));
    QFile::rename(w.path(QStringLiteral("Home.dat")), w.path(QStringLiteral("Vault.dat")));
    EXPECT_TRUE(ProfileManager::isAmbiguous(w.dir.path(), QStringLiteral("Vault")));
    EXPECT_FALSE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    EXPECT_TRUE(w.store.readExplained());
    ASSERT_EQ(w.messages.texts().size(), 1);
    EXPECT_TRUE(w.messages.texts().first().startsWith(
        QStringLiteral("Both Vault.dat and Vault.sealed are in the database folder")));
    EXPECT_TRUE(w.profile.Records.lines().isEmpty());

    QFile::remove(w.path(QStringLiteral("Vault.dat")));
    EXPECT_TRUE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    EXPECT_TRUE(w.store.isSealed());
}

} // namespace

namespace {

// A new login on one workstation gives the profile a new content key: the
// other's save meets it as a new login (its key reads nothing new), keeps
// its change, and saves it after logging in with the new password.
TEST(SealedStore, ANewLoginElsewhereIsMetWithTheChangeKept) {
    Workstation a;
    ASSERT_TRUE(a.manager.CreateProfile(QStringLiteral("Vault"), true));
    Workstation b(a.dir.path());
    for (Workstation* w : {&a, &b}) {
        ASSERT_TRUE(w->waiting.open(w->manager, QStringLiteral("Vault")));
        ASSERT_TRUE(w->store.logIn({}, QStringLiteral("QUILT"), {}));
    }
    a.profile.Security.Password = QStringLiteral("N3w pass");
    a.profile.Security.Questions.clear();
    a.profile.Security.Questions.add(
        SecuritySettings::questionLine(QStringLiteral("Pet"), QStringLiteral("Rex")));
    ASSERT_EQ(a.waiting.save(), SaveOutcome::Saved);

    b.profile.Records.add(b.record("from b").toLine());
    EXPECT_EQ(b.waiting.save(), SaveOutcome::ConflictLogin);
    EXPECT_FALSE(b.store.isOpened()) << "its old key opens nothing saved since";
    ASSERT_TRUE(b.waiting.open(b.manager, QStringLiteral("Vault")));
    EXPECT_FALSE(b.store.logIn({}, QStringLiteral("QUILT"), {}));
    ASSERT_TRUE(b.store.logIn({}, QStringLiteral("N3w pass"), {}));
    ASSERT_TRUE(b.store.takePendingChange());
    EXPECT_EQ(b.waiting.save(), SaveOutcome::Saved);
    EXPECT_EQ(b.profile.Security.Password, QStringLiteral("N3w pass"));

    Workstation c(a.dir.path());
    ASSERT_TRUE(c.waiting.open(c.manager, QStringLiteral("Vault")));
    ASSERT_TRUE(c.store.logInByAnswers({QStringLiteral("Rex"), {}, {}}));
    ASSERT_EQ(c.profile.Records.count(), 1);
    EXPECT_TRUE(c.profile.Records.item(1).contains(QStringLiteral("from b")));
}

} // namespace

namespace {

// A conversion cut off after the new file is in place but before the old
// one's ".bak" went: once that counts as abandoned, the profile is in the
// new format only; the old one is not brought back beside it.
struct CutConversion {
    const char* what;
    bool seal;
};

class ConversionCutBeforeItsLastStep : public ::testing::TestWithParam<CutConversion> {};

TEST_P(ConversionCutBeforeItsLastStep, EndsInTheNewFormatOnly) {
    const bool seal = GetParam().seal;
    Workstation w;
    copyFixture(w.dir, QStringLiteral("Home.dat"));
    ASSERT_TRUE(w.waiting.open(w.manager, QStringLiteral("Home")));
    ASSERT_TRUE(w.store.logIn({}, QStringLiteral("QUILT"), {}));
    if (!seal) {
        ASSERT_TRUE(w.waiting.convertTo(true));
    }
    const QString from = seal ? QStringLiteral("Home.dat") : QStringLiteral("Home.sealed");
    const QString to = seal ? QStringLiteral("Home.sealed") : QStringLiteral("Home.dat");
    const QByteArray old = readFile(w.path(from));
    ASSERT_TRUE(w.waiting.convertTo(seal));
    writeFile(w.path(from + QStringLiteral(".bak")), old); // the step that did not happen

    Workstation other(w.dir.path());
    // First sighted, the ".bak" is somebody's save in progress: a sealed
    // profile waits for it; an unsealed one opens its complete ".dat".
    EXPECT_EQ(other.waiting.open(other.manager, QStringLiteral("Home")), !seal);
    other.waitTillAbandoned();
    other.messages.shown.clear();
    ASSERT_TRUE(other.waiting.open(other.manager, QStringLiteral("Home")));
    EXPECT_EQ(other.profile.ProfileFileName, to);
    QStringList files = QDir(w.dir.path()).entryList(QDir::Files);
    files.removeAll(QStringLiteral("TavrinoErrors.log"));
    files.removeAll(QStringLiteral("settings.ini.txt"));
    EXPECT_EQ(files, QStringList{to});
    EXPECT_TRUE(other.logText().contains(QStringLiteral("interrupted conversion")));
}

INSTANTIATE_TEST_SUITE_P(Both, ConversionCutBeforeItsLastStep,
                         ::testing::Values(CutConversion{"Seal", true},
                                           CutConversion{"Unseal", false}),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace

namespace {

// An older sealed file put back in place (a restored backup, a share rolled
// back) is told, with both stamps; a newer one and a first look are not.
TEST(SealedStore, AnOlderFilePutBackIsNoticed) {
    Workstation w;
    ASSERT_TRUE(w.manager.CreateProfile(QStringLiteral("Vault"), true));
    ASSERT_TRUE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    ASSERT_TRUE(w.store.logIn({}, QStringLiteral("QUILT"), {}));
    const QByteArray old = readFile(w.path(QStringLiteral("Vault.sealed")));
    w.profile.Records.add(w.record("since").toLine());
    ASSERT_EQ(w.waiting.save(), SaveOutcome::Saved);
    ASSERT_EQ(w.profile.ChangeStamp, 2);
    EXPECT_TRUE(w.messages.shown.isEmpty());

    writeFile(w.path(QStringLiteral("Vault.sealed")), old);
    ASSERT_TRUE(w.waiting.open(w.manager, QStringLiteral("Vault")));
    EXPECT_EQ(w.messages.texts(),
              QStringList{QStringLiteral(
                  "Vault.sealed is older (change stamp 1) than a version this workstation has "
                  "opened before (change stamp 2): an old copy may have been put back, and what "
                  "was saved since is not in it.")});

    // Another workstation, which never saw stamp 2, has nothing to say.
    Workstation other(w.dir.path());
    ASSERT_TRUE(other.waiting.open(other.manager, QStringLiteral("Vault")));
    EXPECT_TRUE(other.messages.shown.isEmpty());
}

TEST(StampMemory, RemembersTheHighestAndKnowsAWrap) {
    QTemporaryDir dir;
    StampMemory m;
    m.setPath(dir.filePath(QStringLiteral("stamps.ini")));
    const QString vault = dir.filePath(QStringLiteral("Vault.sealed"));
    EXPECT_FALSE(m.isRollback(vault, 5)) << "nothing seen yet";
    m.saw(vault, 7);
    m.saw(vault, 3);
    EXPECT_EQ(m.highest(vault), 7);
    EXPECT_TRUE(m.isRollback(vault, 6));
    EXPECT_FALSE(m.isRollback(vault, 8));
    EXPECT_FALSE(m.isRollback(dir.filePath(QStringLiteral("Other.sealed")), 1));
    m.saw(vault, 2147483639);
    EXPECT_FALSE(m.isRollback(vault, 1)) << "the stamp wrapped";
    m.saw(vault, 1);
    EXPECT_EQ(m.highest(vault), 1);
}

} // namespace
