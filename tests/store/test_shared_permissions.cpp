// A database folder shared by a group: files keep the rights that let the
// next user in, and a profile nobody may write stays as it is.
#include "store_fixture.h"
#include "support/other_user.h"

#include "shell/settings_store.h"
#include "store/held_file.h"
#include "store/profile_manager.h"

#include <QDir>

#include <sys/stat.h>

using namespace tavrino;
using namespace tavrino::test;

namespace {

constexpr gid_t Team = 47011;
constexpr uid_t Alice = 47101;
constexpr uid_t Bob = 47102;
constexpr uid_t Mallory = 47103; // not in the team

struct stat statOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// A folder every user can reach: db inside it with the given mode and group.
struct SharedFolder {
    QTemporaryDir root;
    QString db;
    explicit SharedFolder(mode_t mode) {
        ::chmod(QFile::encodeName(root.path()).constData(), 0755);
        db = root.filePath(QStringLiteral("db"));
        QDir().mkpath(db);
        (void)!::chown(QFile::encodeName(db).constData(), 0, Team);
        ::chmod(QFile::encodeName(db).constData(), mode);
    }
    QString path(const QString& name) const { return db + QLatin1Char('/') + name; }
};

// One workstation's session in a child: open the profile, add a record, save.
int addRecord(const QString& folder, const QString& fileName, const QString& description) {
    StoreFixture f;
    f.store.setDatabaseFolder(folder);
    if (!f.open(fileName)) return 1;
    f.profile.Records.add(QStringLiteral("4|Web|%1|me|pw||||").arg(description));
    f.waiting.save();
    return f.profile.ProfileSaved ? 0 : 2;
}

TEST(SharedPermissions, NewProfilesAreForExactlyThoseWhoMayWriteTheFolder) {
    if (!isRoot()) GTEST_SKIP() << "needs root to act as other users";
    for (const mode_t folderMode : {mode_t(0770), mode_t(0700)}) {
        SharedFolder shared(folderMode);
        if (folderMode == 0700)
            (void)!::chown(QFile::encodeName(shared.db).constData(), Alice, Team);
        const int created = runAsUser(Alice, Alice, {Team}, [&] {
            StoreFixture f;
            f.store.setDatabaseFolder(shared.db);
            SettingsStore settings(f.path(QStringLiteral("s.ini")), f.dir.path());
            settings.createMissingKeys(shared.db);
            ProfileManager manager(f.store, settings, f.messages);
            return manager.CreateProfile(QStringLiteral("Team")) ? 0 : 1;
        });
        ASSERT_EQ(created, 0);
        const struct stat st = statOf(shared.path(QStringLiteral("Team.dat")));
        if (folderMode == 0770) {
            EXPECT_EQ(st.st_mode & 0777, 0660u);
            EXPECT_EQ(st.st_gid, Team);
            // Bob of the team opens and saves it; Mallory can not read it.
            EXPECT_EQ(runAsUser(Bob, Bob, {Team},
                                [&] {
                                    return addRecord(shared.db, QStringLiteral("Team.dat"),
                                                     QStringLiteral("bob"));
                                }),
                      0);
            const struct stat after = statOf(shared.path(QStringLiteral("Team.dat")));
            EXPECT_EQ(after.st_mode & 0777, 0660u) << "the save keeps the mode";
            EXPECT_EQ(after.st_gid, Team) << "and the group";
            EXPECT_EQ(runAsUser(Mallory, Mallory, {},
                                [&] {
                                    return addRecord(shared.db, QStringLiteral("Team.dat"),
                                                     QStringLiteral("m"));
                                }),
                      1);
        } else {
            EXPECT_EQ(st.st_mode & 0777, 0600u);
        }
    }
}

TEST(SharedPermissions, ProfileNobodyMayWriteIsRefusedNotOverwritten) {
    SharedFolder shared(0770);
    const QString path = shared.path(QStringLiteral("Work.dat"));
    writeFile(path, readFile(fixturePath(QStringLiteral("Work.dat"))));
    ::chmod(QFile::encodeName(path).constData(), 0444);
    const QByteArray before = readFile(path);

    StoreFixture f;
    f.store.setDatabaseFolder(shared.db);
    ASSERT_TRUE(f.open(QStringLiteral("Work.dat")));
    f.profile.Records.add(QStringLiteral("4|Web|lost|me|pw||||"));
    f.waiting.save();
    EXPECT_FALSE(f.profile.ProfileSaved);
    EXPECT_EQ(f.messages.texts(),
              QStringList{QStringLiteral("An Error has occurred!. The error is : \r\nWork.dat is "
                                         "read-only; it was not changed(13)\r\nPlease close "
                                         "application and re-open.")});
    EXPECT_TRUE(f.pause.pauses.isEmpty()) << "no point in trying again";
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(shared.db).entryList(QDir::Files),
              QStringList({QStringLiteral("TavrinoErrors.log"), QStringLiteral("Work.dat")}));
}

TEST(SharedPermissions, AnotherUsersProfileTheyMayOnlyReadIsNotReplaced) {
    if (!isRoot()) GTEST_SKIP() << "needs root to act as other users";
    SharedFolder shared(0770);
    const QString path = shared.path(QStringLiteral("Alice.dat"));
    writeFile(path, readFile(fixturePath(QStringLiteral("Work.dat"))));
    (void)!::chown(QFile::encodeName(path).constData(), Alice, Team);
    ::chmod(QFile::encodeName(path).constData(), 0640);
    const QByteArray before = readFile(path);
    // Bob may rename files in the folder, but the profile is Alice's to write.
    EXPECT_EQ(runAsUser(Bob, Bob, {Team},
                        [&] {
                            return addRecord(shared.db, QStringLiteral("Alice.dat"),
                                             QStringLiteral("bob"));
                        }),
              2);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(statOf(path).st_uid, Alice);
}

} // namespace
