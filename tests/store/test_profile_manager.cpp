#include "store_fixture.h"
#include "support/held_elsewhere.h"

#include "shell/settings_store.h"
#include "store/held_file.h"
#include "store/profile_manager.h"

#include <QDir>

using namespace tavrino;
using namespace tavrino::test;

namespace {

struct ManagerFixture : StoreFixture {
    QTemporaryDir appDir;
    QString ini = dir.filePath(QStringLiteral("settings.ini.txt"));
    SettingsStore settings{ini, appDir.path()};
    ProfileManager manager{store, settings, messages};

    ManagerFixture() { settings.createMissingKeys(dir.path()); }
};

TEST(ListProfiles, NamesOfDatFilesCutAtTheFirstDot) {
    ManagerFixture f;
    for (const char* name : {"a.dat", "b.dat", "readme.txt", "my.home.dat", "c.dat.bak",
                             "b.dat.bak", "Upper.DAT", "d.dat.tmp-x1Y2z3"})
        writeFile(f.path(QString::fromLatin1(name)), "x");
    // c is there only as the ".bak" of a save that was cut off; Upper.DAT
    // could not be opened as a profile.
    EXPECT_EQ(f.manager.ListProfiles(),
              QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                           QStringLiteral("my")}));
    EXPECT_EQ(f.store.databaseFolder(), f.dir.path());
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST(ListProfiles, SortedWhateverTheDirectoryOrderAndLetterCase) {
    ManagerFixture f;
    for (const char* name : {"Work.dat", "home.dat", "Zeta.dat", "alpha.dat.bak", "Beta.dat"})
        writeFile(f.path(QString::fromLatin1(name)), "x");
    EXPECT_EQ(f.manager.ListProfiles(),
              QStringList({QStringLiteral("alpha"), QStringLiteral("Beta"), QStringLiteral("home"),
                           QStringLiteral("Work"), QStringLiteral("Zeta")}));
}

TEST(ListProfiles, ConflictCopiesOfSyncToolsAreNoProfilesOfTheirOwn) {
    const struct {
        const char* fileName;
        const char* copyOf; // empty: not a conflict copy
    } cases[] = {
        {"Home.sync-conflict-20261210-101010-ABCDEFG.dat", "Home"},
        {"Home.sync-conflict-20261210-101010-ABCDEFG.sealed", "Home"},
        {"Work (Bob's conflicted copy 2026-12-10).dat", "Work"},
        {"Work (Bob's conflicted copy 2026.12.10).sealed", "Work"},
        {"A (x) (conflicted copy).dat", "A (x)"},
        {"Home (conflicted copy 2026-12-10 101010).dat", "Home"},
        {"Home_conflict-20261210-101010.dat", "Home"},
        {"Home_conflict-.dat", ""},
        {"Home_conflict-2026x.dat", ""},
        {"Home.dat", ""},
        {"Home.sync-conflict-1.dat.bak", ""},
        {"Home.sync-conflict-1.2.dat", ""},
        {"my.home.sync-conflict-1.dat", ""},
        {".sync-conflict-1.dat", ""},
        {"Home.sync-conflict-1.DAT", ""},
        {"Work (conflicted copy) x.dat", ""},
        {"Work(conflicted copy).dat", ""},
        {" (conflicted copy).dat", ""},
        {"my.work (conflicted copy).dat", ""},
        {"Work (a) conflicted copy).dat", ""},
        {"Work (copy).dat", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileManager::conflictCopyOf(QString::fromUtf8(c.fileName)),
                  QString::fromUtf8(c.copyOf))
            << c.fileName;

    ManagerFixture f;
    for (const char* name : {"Home.dat", "Home.sync-conflict-1-2-X.dat", "Work (Al's conflicted copy).dat",
                             "Work.dat.tmp-1", "Extra.sealed.bak"})
        writeFile(f.path(QString::fromUtf8(name)), "x");
    EXPECT_EQ(ProfileManager::scan(f.dir.path()),
              QStringList({QStringLiteral("Extra"), QStringLiteral("Home")}));
    EXPECT_EQ(ProfileManager::conflictCopies(f.dir.path()),
              QStringList({QStringLiteral("Home.sync-conflict-1-2-X.dat"),
                           QStringLiteral("Work (Al's conflicted copy).dat")}));
}

TEST(ListProfiles, EmptyFolderOffersTheApplicationFolder) {
    ManagerFixture f;
    writeFile(f.appDir.filePath(QStringLiteral("Shipped.dat")), "x");
    f.messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(f.manager.ListProfiles().isEmpty());
    ASSERT_EQ(f.messages.shown.size(), 1);
    const Message& m = f.messages.shown[0];
    EXPECT_EQ(
        m.text,
        QStringLiteral(
            "No Profiles found in Database location!\r\nTry application installation folder?"));
    EXPECT_EQ(m.title, QStringLiteral("Profiles Missing"));
    EXPECT_EQ(m.icon, MsgIcon::Critical);
    EXPECT_EQ(m.buttons, MsgButtons::YesNo);

    f.messages.answers = {MsgAnswer::Yes};
    EXPECT_EQ(f.manager.ListProfiles(), QStringList{QStringLiteral("Shipped")});
    EXPECT_EQ(f.store.databaseFolder(), f.appDir.path());
    QString stored;
    f.settings.ReadSetting(QStringLiteral("Database"), stored);
    EXPECT_EQ(stored, f.dir.path()) << "the setting itself is not changed";
}

TEST(CreateProfile, WritesDefaultsAndKeepsTheOpenProfile) {
    ManagerFixture f;
    copyFixture(f.dir, QStringLiteral("Work.dat"));
    f.manager.ListProfiles();
    ASSERT_TRUE(f.waiting.open(f.manager, QStringLiteral("Work")));
    ASSERT_TRUE(f.store.logIn(QStringLiteral("alice"), QStringLiteral("S3cret pass"),
                              QStringLiteral("4711")));
    const SecuritySettings before = f.profile.Security;

    ASSERT_TRUE(f.manager.CreateProfile(QStringLiteral("Home")));
    EXPECT_EQ(f.profile.ChangeStamp, 41);
    EXPECT_EQ(f.profile.ProfilePath, f.path(QStringLiteral("Work.dat")));
    EXPECT_EQ(f.profile.Security.UserId, before.UserId);
    EXPECT_EQ(f.profile.Security.Questions.lines(), before.Questions.lines());
    EXPECT_EQ(f.profile.Records.count(), 12);

    StoreFixture g;
    g.store.setDatabaseFolder(f.dir.path());
    ASSERT_TRUE(g.open(QStringLiteral("Home.dat")));
    expectContent(g.profile, ExpectedProfile(QStringLiteral("Home.json")).json);
}

TEST(CreateProfile, Refusals) {
    ManagerFixture f;
    writeFile(f.path(QStringLiteral("Home.dat")), "x");
    // A profile left only as the ".bak" of a cut-off save still exists.
    writeFile(f.path(QStringLiteral("Work.dat.bak")), "w");
    f.manager.ListProfiles();
    const QString exists =
        QStringLiteral("This profile already exists. Please choose another name!");
    const std::pair<QString, QString> cases[] = {
        {QString(), QStringLiteral("Specify a profile name!")},
        {QStringLiteral("Home"), exists},
        {QStringLiteral("HOME"), exists}, // one file for Windows and SMB
        {QStringLiteral("Work"), exists},
        {QStringLiteral("work"), exists},
        {QStringLiteral("../outside"),
         QStringLiteral("A profile name can not contain \".\", \"/\" or \"\\\"!")},
        {QStringLiteral("my.home"),
         QStringLiteral("A profile name can not contain \".\", \"/\" or \"\\\"!")},
        // Listed as a second "Home", or as a terminal's command.
        {QStringLiteral("x\nHome"), QStringLiteral("A profile name can not contain control "
                                                  "characters (a line break, a tab or a terminal "
                                                  "escape)!")},
        {QStringLiteral("a\x1b[2Jb"), QStringLiteral("A profile name can not contain control "
                                                   "characters (a line break, a tab or a terminal "
                                                   "escape)!")},
        // A sync tool's copy of Team: it would never list as a profile.
        {QStringLiteral("Team (old conflicted copy)"),
         QStringLiteral("\"Team (old conflicted copy)\" is named as a sync tool names its "
                        "conflict copies: Tavrino would take it for a copy of \"Team\". Choose "
                        "another name!")},
    };
    for (const auto& [name, message] : cases) {
        f.messages.shown.clear();
        EXPECT_FALSE(f.manager.CreateProfile(name));
        EXPECT_EQ(f.messages.texts(), QStringList{message}) << name.toStdString();
    }
    EXPECT_EQ(readFile(f.path(QStringLiteral("Home.dat"))), QByteArray("x"));
    EXPECT_EQ(readFile(f.path(QStringLiteral("Work.dat.bak"))), QByteArray("w"));
    EXPECT_FALSE(FileOps::exists(f.path(QStringLiteral("Work.dat"))));
}

TEST(DeleteProfile, RefusesTheOpenOneAndMissingOnes) {
    ManagerFixture f;
    copyFixture(f.dir, QStringLiteral("Work.dat"));
    copyFixture(f.dir, QStringLiteral("Home.dat"));
    f.manager.ListProfiles();
    ASSERT_TRUE(f.waiting.open(f.manager, QStringLiteral("Work")));

    EXPECT_FALSE(f.manager.DeleteProfile(QStringLiteral("Work")));
    EXPECT_EQ(f.messages.shown.last().text,
              QStringLiteral("You can not delete your currently opened Profile!"));
    EXPECT_EQ(f.messages.shown.last().icon, MsgIcon::Warning);
    EXPECT_FALSE(f.manager.DeleteProfile(QStringLiteral("Gone")));
    EXPECT_EQ(f.messages.shown.last().text, QStringLiteral("File not found!"));
    EXPECT_EQ(f.messages.shown.last().title, QStringLiteral("File Error"));
    EXPECT_FALSE(f.manager.DeleteProfile(QString()));
    EXPECT_EQ(f.messages.shown.last().text, QStringLiteral("Specify a profile name!"));

    EXPECT_TRUE(f.manager.DeleteProfile(QStringLiteral("Home")));
    EXPECT_FALSE(FileOps::exists(f.path(QStringLiteral("Home.dat"))));
}

TEST(DeleteProfile, ProfileBeingSavedElsewhereStays) {
    ManagerFixture f;
    copyFixture(f.dir, QStringLiteral("Home.dat"));
    f.manager.ListProfiles();
    SaveInProgressElsewhere other(f.path(QStringLiteral("Home.dat")));
    EXPECT_FALSE(f.manager.DeleteProfile(QStringLiteral("Home")));
    EXPECT_TRUE(FileOps::exists(f.path(QStringLiteral("Home.dat"))));
    other.finish();
    EXPECT_TRUE(f.manager.DeleteProfile(QStringLiteral("Home")));
    EXPECT_FALSE(FileOps::exists(f.path(QStringLiteral("Home.dat"))));
}

} // namespace
