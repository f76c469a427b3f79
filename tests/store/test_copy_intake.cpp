#include "store/copy_intake.h"
#include "store/folder_listing.h"
#include "store/version_shelf.h"
#include "store_fixture.h"

namespace tavrino::test {
namespace {

// One member of a team that shares through a sync tool: a folder of its own
// and versions kept in a cache of its own.
struct Member : StoreFixture {
    QTemporaryDir cache;
    VersionShelf shelf{cache.path()};
    Member() {
        copyFixture(dir, QStringLiteral("Work.dat"));
        store.setVersionShelf(&shelf);
        EXPECT_TRUE(open(QStringLiteral("Work.dat")));
    }
    qsizetype positionOf(const QString& description) const {
        for (qsizetype i = 1; i <= profile.Records.count(); ++i)
            if (PasswordRecord::fromLine(profile.Records.item(i))[PasswordRecord::Description] ==
                description)
                return i;
        ADD_FAILURE() << "no record " << description.toStdString();
        return 0;
    }
    QString recordNamed(const QString& description) const {
        return profile.Records.item(positionOf(description));
    }
    void change(const QString& description, PasswordRecord::Field field, const QString& value) {
        const qsizetype at = positionOf(description);
        PasswordRecord r = PasswordRecord::fromLine(profile.Records.item(at));
        r[field] = value;
        profile.Records.remove(at);
        profile.Records.insert(at, r.toLine());
    }
    void remove(const QString& description) { profile.Records.remove(positionOf(description)); }
    void add(const QString& description) {
        PasswordRecord r;
        r[PasswordRecord::Description] = description;
        r[PasswordRecord::Password] = QStringLiteral("pw");
        profile.Records.add(r.toLine());
    }
    // What the sync tool does with a save made here while another member
    // saved too: the other's file takes the name, this one is set aside.
    QString receiveCopyOf(const Member& other, const QString& copyName) {
        const QString copy = path(copyName);
        EXPECT_TRUE(QFile::rename(path(QStringLiteral("Work.dat")), copy));
        EXPECT_TRUE(QFile::copy(other.path(QStringLiteral("Work.dat")), path(QStringLiteral("Work.dat"))));
        EXPECT_TRUE(open(QStringLiteral("Work.dat")));
        return copy;
    }
    IntakeOutcome takeIn(CopyIntake& intake) { return intake.takeIn(FolderListing::of(dir.path())); }
    QStringList descriptions() const {
        QStringList d;
        for (const QString& line : profile.Records.lines())
            d << PasswordRecord::fromLine(line)[PasswordRecord::Description];
        d.sort();
        return d;
    }
};

ConflictChoice keepBoth(const MergeConflict&) { return ConflictChoice::KeepBoth; }

// Two members saved at once from the same version; the sync tool kept one
// save and set the other aside. Taken in against that version, what each
// added, changed or deleted stays so, and the saves of neither come back
// or get lost. The member's own save is kept too, and is no base.
TEST(CopyIntake, TakesACopyInThreeWayAgainstTheVersionBothGrewFrom) {
    Member alice;
    Member bob;
    alice.add(QStringLiteral("Alice's new"));
    alice.remove(QStringLiteral("Shop"));
    alice.change(QStringLiteral("Savings"), PasswordRecord::Notes, QStringLiteral("alice's note"));
    alice.save();
    bob.add(QStringLiteral("Bob's new"));
    bob.remove(QStringLiteral("Old mail"));
    bob.change(QStringLiteral("Savings"), PasswordRecord::Password, QStringLiteral("bob's pw"));
    bob.save();
    ASSERT_TRUE(alice.profile.ProfileSaved && bob.profile.ProfileSaved);

    // Alice's save was set aside at her workstation: Bob's is the profile.
    const QString copy = alice.receiveCopyOf(bob, QStringLiteral("Work.sync-conflict-20261211-101010-ALICE.dat"));
    CopyIntake intake(alice.store, keepBoth);
    const IntakeOutcome outcome = alice.takeIn(intake);
    EXPECT_EQ(outcome.summary(), QStringLiteral("Took in 1 copy left by a sync tool: 1 record "
                                                "added, 1 changed, 1 removed, no conflicts"));
    alice.save();
    EXPECT_TRUE(intake.removeTaken().isEmpty());
    EXPECT_FALSE(QFile::exists(copy));

    EXPECT_TRUE(alice.open(QStringLiteral("Work.dat")));
    QStringList wanted;
    for (const QJsonValue r : ExpectedProfile(QStringLiteral("Work.json")).json[QStringLiteral("records")].toArray())
        wanted << r.toArray()[1].toString(); // the description
    wanted.removeOne(QStringLiteral("Shop"));
    wanted.removeOne(QStringLiteral("Old mail"));
    wanted << QStringLiteral("Alice's new") << QStringLiteral("Bob's new");
    wanted.sort();
    EXPECT_EQ(alice.descriptions(), wanted);
    const PasswordRecord savings = PasswordRecord::fromLine(alice.recordNamed(QStringLiteral("Savings")));
    EXPECT_EQ(savings[PasswordRecord::Notes], QStringLiteral("alice's note"));
    EXPECT_EQ(savings[PasswordRecord::Password], QStringLiteral("bob's pw"));
}

// Both changed one field differently: the resolver decides, as in a live
// save; Keep both keeps the copy's version marked beside the profile's.
TEST(CopyIntake, AFieldBothChangedGoesToTheResolver) {
    Member alice;
    Member bob;
    alice.change(QStringLiteral("Savings"), PasswordRecord::Password, QStringLiteral("alice's"));
    alice.save();
    bob.change(QStringLiteral("Savings"), PasswordRecord::Password, QStringLiteral("bob's"));
    bob.save();
    alice.receiveCopyOf(bob, QStringLiteral("Work (Alice's conflicted copy 2026-12-11).dat"));
    QList<MergeConflict> asked;
    CopyIntake intake(alice.store, [&](const MergeConflict& c) {
        asked << c;
        return ConflictChoice::KeepBoth;
    });
    EXPECT_EQ(alice.takeIn(intake).conflicts, 1);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(PasswordRecord::fromLine(asked[0].mine)[PasswordRecord::Password], QStringLiteral("alice's"));
    EXPECT_EQ(PasswordRecord::fromLine(asked[0].theirs)[PasswordRecord::Password], QStringLiteral("bob's"));
    EXPECT_TRUE(alice.descriptions().contains(QStringLiteral("Savings (my version)")));
}

// With no version kept here that is older than both, nothing can be told to
// be deleted: the copy only adds, and each record it adds is named (it may
// be one deleted here).
TEST(CopyIntake, WithoutAnOlderVersionOnlyAddsAndNamesWhatCameBack) {
    Member alice;
    Member bob;
    bob.add(QStringLiteral("Bob's new"));
    bob.remove(QStringLiteral("Shop"));
    bob.save();
    QDir(alice.cache.path()).removeRecursively();
    const QString copy = alice.path(QStringLiteral("Work.sync-conflict-20261211-101010-BOB.dat"));
    QFile::copy(bob.path(QStringLiteral("Work.dat")), copy);
    alice.remove(QStringLiteral("Old mail"));
    CopyIntake intake(alice.store, keepBoth);
    const IntakeOutcome outcome = alice.takeIn(intake);
    EXPECT_EQ(outcome.withoutBase, 1);
    EXPECT_EQ(QSet<QString>(outcome.broughtBack.begin(), outcome.broughtBack.end()),
              QSet<QString>({QStringLiteral("Bob's new"), QStringLiteral("Old mail")}));
    EXPECT_TRUE(alice.descriptions().contains(QStringLiteral("Shop")));
    EXPECT_TRUE(outcome.summary().contains(QStringLiteral("\"Bob's new\"")));
    EXPECT_TRUE(outcome.summary().contains(QStringLiteral("\"Old mail\"")));
}

// A file named like a copy that is not one (another login) is left where it
// is and said why; the profile does not change.
TEST(CopyIntake, ACopyThatIsNotThisProfileIsLeftAndNamed) {
    Member alice;
    copyFixture(alice.dir, QStringLiteral("Home.dat"));
    const QString planted = alice.path(QStringLiteral("Work.sync-conflict-20261211-101010-EVIL.dat"));
    QFile::rename(alice.path(QStringLiteral("Home.dat")), planted);
    const QStringList before = alice.descriptions();
    CopyIntake intake(alice.store, keepBoth);
    const IntakeOutcome outcome = alice.takeIn(intake);
    EXPECT_TRUE(outcome.taken.isEmpty());
    EXPECT_FALSE(outcome.profileChanged);
    EXPECT_EQ(alice.descriptions(), before);
    EXPECT_TRUE(outcome.summary().startsWith(QStringLiteral("Left 1 copy in the folder: Work.sync-conflict-20261211-101010-EVIL.dat has another login")))
        << outcome.summary().toStdString();
    EXPECT_TRUE(intake.removeTaken().isEmpty());
    EXPECT_TRUE(QFile::exists(planted));

    // Planted by the dozen: a handful named, the rest counted.
    for (int i = 0; i < 11; ++i)
        QFile::copy(planted, alice.path(QStringLiteral("Work.sync-conflict-20261211-1111%1-EVIL.dat").arg(i, 2, 10, QLatin1Char('0'))));
    const QString many = alice.takeIn(intake).summary();
    EXPECT_TRUE(many.startsWith(QStringLiteral("Left 12 copies in the folder: "))) << many.toStdString();
    EXPECT_TRUE(many.endsWith(QStringLiteral("; and 7 more"))) << many.toStdString();
}

// The shelf keeps the newest versions only, each owner-only, and gives the
// newest one below both stamps.
TEST(VersionShelf, KeepsTheNewestVersionsPrivately) {
    QTemporaryDir cache;
    const VersionShelf shelf(cache.path() + QStringLiteral("/v"));
    const QString profile = QStringLiteral("/team/Work.dat");
    for (int stamp = 1; stamp <= VersionShelf::Kept + 3; ++stamp)
        shelf.keep(profile, stamp, QByteArray::number(stamp));
    const QDir dir(shelf.shelfOf(profile));
    EXPECT_EQ(dir.entryList(QDir::Files).size(), VersionShelf::Kept);
    EXPECT_EQ(QFileInfo(dir.path()).permissions() & QFileDevice::Permissions(0x7077), QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readFile(shelf.baseBelow(profile, 9, 12)), QByteArray("8"));
    EXPECT_TRUE(shelf.baseBelow(profile, 4, 12).isEmpty()) << "the older ones went";
    EXPECT_TRUE(shelf.baseBelow(QStringLiteral("/other/Work.dat"), 9, 12).isEmpty());
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files))
        EXPECT_EQ(file.permissions() & QFileDevice::Permissions(0x7077), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace
} // namespace tavrino::test
