// A logged-in vault shows the saves other people make in the same profile,
// without losing its place, and never over something unsaved.
#include "vault_fixture.h"

#include "support/child_process.h"
#include "ui/common/profile_watch.h"

#include <QScrollBar>

using namespace tavrino;
using namespace tavrino::test;

namespace {


const QString Added = QStringLiteral("4||Added elsewhere|zoe|pw||||");


bool hasAdded(VaultFixture& f) {
    return f.profile.Records.lines().contains(Added);
}

TEST(LiveView, ShowsAnotherSaveWhereTheUserWas) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.profileWatch().setIntervalMs(10);
    const QString chosen = f.profile.Records.item(5);
    const QModelIndex index = f.treeModel()->indexOfKey(recordKey(5));
    f.tree()->expand(index.parent());
    f.tree()->setCurrentIndex(index);
    const QString openGroup = index.parent().data().toString();

    // Their save moves every record up by one: positions are no guide.
    saveElsewhere(f, [](Profile& p) {
        p.Records.remove(1);
        p.Records.add(Added);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasAdded(f); }, 3000));
    EXPECT_EQ(f.profile.Records.count(), 12);
    EXPECT_TRUE(f.treeModel()->indexOfKey(recordKey(12)).isValid()) << "the tree shows it";
    const QString selected = w.treePanel().selectedRecordKey();
    ASSERT_FALSE(selected.isEmpty());
    EXPECT_EQ(f.profile.Records.item(recordPosition(selected)), chosen) << "the same record";
    EXPECT_TRUE(f.tree()->isExpanded(f.tree()->currentIndex().parent()));
    EXPECT_EQ(f.tree()->currentIndex().parent().data().toString(), openGroup);
    EXPECT_EQ(f.loggedInNote()->text(), QStringLiteral("Updated with another user's changes"));
    EXPECT_TRUE(f.messages.shown.isEmpty()) << "no box for it";

    // And saving from here goes straight through: the stamp is the new one.
    f.openRecord(recordPosition(selected));
    f.type(f.box("Description"), QStringLiteral("Mine"));
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_EQ(f.store.lastSaveOutcome(), SaveOutcome::Saved);
}

TEST(LiveView, NeverReplacesAnUnsavedChange) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.profileWatch().setIntervalMs(10);
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Mine"));
    saveElsewhere(f, [](Profile& p) { p.Records.add(Added); });
    QTest::qWait(200);
    EXPECT_FALSE(hasAdded(f));
    EXPECT_TRUE(w.isDirty());
    EXPECT_EQ(f.box("Description")->text(), QStringLiteral("Mine"));

    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_EQ(f.store.lastSaveOutcome(), SaveOutcome::Merged);
    EXPECT_TRUE(hasAdded(f));
}

TEST(LiveView, ANewLoginElsewhereLocks) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.profileWatch().setIntervalMs(10);
    saveElsewhere(f, [](Profile& p) { p.Security.Pin = QStringLiteral("9999"); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.session.loginOk; }, 3000));
    EXPECT_EQ(f.messages.texts(), QStringList{QStringLiteral("The profile has been modified by "
                                                             "another user.\r\nYou will have to "
                                                             "login again.")});
    EXPECT_TRUE(f.loginPanel()->isVisible());
    EXPECT_FALSE(w.profileWatch().isActive());
}

} // namespace

namespace {

// A sync tool's conflict copy of the profile: offered after the login,
// merged on Yes, and put aside so that it is not offered again.
TEST(ConflictCopy, IsOfferedAfterTheLoginAndMerged) {
    VaultFixture f({QStringLiteral("Work")});
    const QString copy = QStringLiteral("Work (Bob's conflicted copy 2026-12-10).dat");
    QFile::copy(f.dbPath(QStringLiteral("Work.dat")), f.dbPath(copy));
    {
        // The copy holds a record the profile lacks.
        VaultFixture g({});
        g.store.setDatabaseFolder(f.dir.filePath(QStringLiteral("db")));
        g.profile.ProfileFileName = copy;
        ASSERT_TRUE(g.waiting.read(true));
        g.profile.Records.add(Added);
        g.waiting.save();
        ASSERT_TRUE(g.profile.ProfileSaved);
    }
    EXPECT_EQ(f.profiles.ListProfiles(), QStringList{QStringLiteral("Work")})
        << "no profile of its own";
    f.messages.answers = {MsgAnswer::Yes};
    f.loginWork();
    EXPECT_TRUE(hasAdded(f));
    EXPECT_EQ(descriptionsOnDisk(f).last(), QStringLiteral("Added elsewhere"));
    EXPECT_FALSE(QFile::exists(f.dbPath(copy)));
    EXPECT_TRUE(QFile::exists(f.dbPath(copy + QStringLiteral(".merged"))));
}

} // namespace
