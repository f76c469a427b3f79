// A logged-in vault shows the saves other people make in the same profile,
// without losing its place, and never over something unsaved.
#include "vault_fixture.h"

#include <future>

#include <QDir>

#include "store/held_file.h"
#include "support/child_process.h"
#include "ui/common/profile_watch.h"

#include <QScrollBar>

#include <atomic>

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

// Nothing typed is replaced; the other save, not taken in meanwhile, is read
// once, not at every look (a 3 MB profile every 2 s over a VPN).
TEST(LiveView, NeverReplacesAnUnsavedChange) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.profileWatch().setIntervalMs(10);
    std::atomic<int> reads{0};
    w.profileWatch().setReader([&](const QString& path, QByteArray& content) {
        ++reads;
        return FileOps::readAll(path, content);
    });
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Mine"));
    saveElsewhere(f, [](Profile& p) { p.Records.add(Added); });
    QTest::qWait(300);
    EXPECT_FALSE(hasAdded(f));
    EXPECT_TRUE(w.isDirty());
    EXPECT_EQ(f.box("Description")->text(), QStringLiteral("Mine"));
    EXPECT_EQ(reads, 1) << "read once in some thirty looks";

    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_EQ(f.store.lastSaveOutcome(), SaveOutcome::Merged);
    EXPECT_TRUE(hasAdded(f));
}

// A look that hangs (the share stopped answering) holds up neither the
// window's end nor the next looks: they wait for it instead of piling up.
TEST(LiveView, AHungLookIsNeverWaitedFor) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    std::promise<void> shareBack;
    std::shared_future<void> back = shareBack.get_future().share();
    auto reads = std::make_shared<std::atomic<int>>(0);
    w.profileWatch().setReader([back, reads](const QString& path, QByteArray& content) {
        ++*reads;
        back.wait();
        return FileOps::readAll(path, content);
    });
    w.profileWatch().setIntervalMs(10);
    saveElsewhere(f, [](Profile& p) { p.Records.add(Added); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return *reads == 1; }, 3000));
    QTest::qWait(100);
    EXPECT_EQ(*reads, 1) << "no second look while the first hangs";
    f.window.reset(); // returns although the look still hangs
    shareBack.set_value();
    QTest::qWait(50); // the look ends, with nobody to tell
    EXPECT_FALSE(hasAdded(f));
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

// A sync tool's conflict copy of the profile is taken in at the login by
// itself: saved once, the copy gone, one line said, no question.
TEST(ConflictCopy, IsTakenInAtTheLoginWithoutAQuestion) {
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
    f.loginWork();
    EXPECT_TRUE(hasAdded(f));
    EXPECT_EQ(descriptionsOnDisk(f).last(), QStringLiteral("Added elsewhere"));
    EXPECT_FALSE(QFile::exists(f.dbPath(copy)));
    EXPECT_TRUE(f.messages.shown.isEmpty()) << f.messages.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(f.loggedInNote()->text().startsWith(
        QStringLiteral("Took in 1 copy left by a sync tool: 1 record added, no conflicts")))
        << f.loggedInNote()->text().toStdString();
}

// Copies piled up (or planted) never mean a question each: those that are
// this profile go in one save, one that is not stays and is named.
TEST(ConflictCopy, ManyCopiesGoInOneLineAndAStrangerStays) {
    VaultFixture f({QStringLiteral("Work"), QStringLiteral("Home")});
    for (int i = 1; i <= 12; ++i)
        QFile::copy(f.dbPath(QStringLiteral("Work.dat")),
                    f.dbPath(QStringLiteral("Work.sync-conflict-20261210-1010%1-X.dat").arg(i, 2, 10, QLatin1Char('0'))));
    const QString stranger = QStringLiteral("Work.sync-conflict-20261210-101099-EVIL.dat");
    QFile::rename(f.dbPath(QStringLiteral("Home.dat")), f.dbPath(stranger));
    f.loginWork();
    ASSERT_TRUE(f.session.loginOk);
    EXPECT_TRUE(f.messages.shown.isEmpty()) << f.messages.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(QDir(f.dbPath(QString())).entryList({QStringLiteral("Work.sync-conflict-*")}),
              QStringList{stranger});
    const QString note = f.loggedInNote()->text();
    EXPECT_TRUE(note.startsWith(QStringLiteral("Took in 12 copies left by a sync tool: nothing new, "
                                               "no conflicts; left 1 copy in the folder: ") +
                                stranger + QStringLiteral(" has another login")))
        << note.toStdString();
}

} // namespace
