// How a save lives with the window: it never freezes it, a lock that falls
// due meanwhile waits for it, and waiting for another workstation can be
// stopped.
#include "vault_fixture.h"

#include "store/held_file.h"
#include "ui/common/store_wait_dialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <sys/stat.h>

using namespace tavrino;
using namespace tavrino::test;

namespace {

// Runs events until done() holds, for up to two seconds.
bool eventually(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct LockKind {
    const char* what;
    std::function<void(VaultFixture&)> fire;
};

class LockDuringSaveMessage : public ::testing::TestWithParam<LockKind> {};

// A failed save's message runs a loop of its own; a lock that comes then
// happens once the save and its message are over: no crash, and the file
// and memory hold what they held before the save.
TEST_P(LockDuringSaveMessage, WaitsTillTheSaveIsOver) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    const QString dat = f.dbPath(QStringLiteral("Work.dat"));
    const QByteArray fileBefore = readFile(dat);
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Changed"));
    ::chmod(QFile::encodeName(dat).constData(), 0444); // the save fails at once

    bool lockedInside = true;
    f.messages.whileShown = [&](const Message&) {
        GetParam().fire(f);
        lockedInside = !f.session.loginOk;
    };
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    f.messages.whileShown = nullptr;
    EXPECT_FALSE(lockedInside) << "no lock inside the save";
    ASSERT_FALSE(f.messages.shown.isEmpty());
    EXPECT_EQ(f.messages.shown.last().title, QStringLiteral("WriteToFile"));

    EXPECT_TRUE(eventually([&] { return !f.session.loginOk; })) << "the lock, right after";
    EXPECT_TRUE(f.loginPanel()->isVisible());
    EXPECT_FALSE(w.isDirty());
    EXPECT_EQ(readFile(dat), fileBefore);
    // Logged in again: the profile as it was, nothing of the failed save.
    f.type(f.box("User ID"), QStringLiteral("alice"));
    f.type(f.box("Password"), QStringLiteral("S3cret pass"));
    f.type(f.box("PIN Number"), QStringLiteral("4711"));
    QTest::mousePress(f.button(CommandBars::Login), Qt::LeftButton);
    ASSERT_TRUE(f.session.loginOk);
    EXPECT_EQ(f.profile.Records.count(), 12);
    EXPECT_FALSE(f.profile.Records.lines().join(QString()).contains(QStringLiteral("Changed")));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LockDuringSaveMessage,
    ::testing::Values(
        LockKind{"lock_image", [](VaultFixture& f) { f.image("Lock Tavrino")->click(); }},
        LockKind{"auto_lock", [](VaultFixture& f) { emit f.window->lockController().lockDue(); }},
        LockKind{"session_lock", [](VaultFixture& f) { f.window->lockIfLoggedIn(); }}),
    [](const auto& info) { return std::string(info.param.what); });

StoreWaitDialog* waitDialog() {
    return qobject_cast<StoreWaitDialog*>(QApplication::activeModalWidget());
}

// Another workstation's save holds the profile (its ".bak" is fresh): the
// window keeps answering, says what it waits for, and Cancel leaves the
// change unsaved, in the boxes and out of memory and file.
TEST(SaveWaits, WindowAnswersAndCancelKeepsTheChangeUnsaved) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.runner.setRetryPauseMs(ProfileStore::RetryPauseMs);
    const QString dat = f.dbPath(QStringLiteral("Work.dat"));
    const QStringList before = f.profile.Records.lines();
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Waited for"));
    ASSERT_EQ(FileOps::renameNoReplace(dat, dat + QStringLiteral(".bak")), 0);

    QElapsedTimer clock;
    qint64 answeredAfter = -1;
    QString shown;
    QTimer::singleShot(300, [&] {
        answeredAfter = clock.elapsed();
        if (StoreWaitDialog* d = waitDialog()) {
            shown = d->text();
            // A session lock while it waits: put off until the save is over.
            w.lockIfLoggedIn();
            named<QPushButton>(d, QStringLiteral("Cancel"))->click();
        }
    });
    clock.start();
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    const qint64 saveTook = clock.elapsed();
    EXPECT_GE(answeredAfter, 0);
    EXPECT_LT(answeredAfter, 1000) << "the window answers while the save waits";
    EXPECT_LT(saveTook, 2000) << "Cancel ends the wait";
    EXPECT_EQ(shown, QStringLiteral("Waiting for another workstation's save…\nAttempt 2 of 5"));
    EXPECT_EQ(f.store.lastSaveOutcome(), SaveOutcome::Cancelled);
    EXPECT_TRUE(f.messages.shown.isEmpty()) << "stopping is no error";
    EXPECT_EQ(f.profile.Records.lines(), before);
    EXPECT_TRUE(w.isDirty() || !f.session.loginOk);
    EXPECT_TRUE(FileOps::exists(dat + QStringLiteral(".bak"))) << "their save left alone";
    // Their save ends; the lock opens the profile again at once.
    FileOps::renameNoReplace(dat + QStringLiteral(".bak"), dat);
    EXPECT_TRUE(eventually([&] { return !f.session.loginOk; })) << "the lock, right after";
}

// The other save ends while we wait: the next attempt goes through.
TEST(SaveWaits, SavesOnceTheOtherSaveEnds) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.runner.setRetryPauseMs(50);
    const QString dat = f.dbPath(QStringLiteral("Work.dat"));
    f.openRecord(3);
    f.type(f.box("Description"), QStringLiteral("Saved later"));
    ASSERT_EQ(FileOps::renameNoReplace(dat, dat + QStringLiteral(".bak")), 0);
    QList<int> attempts;
    QObject::connect(&f.runner, &StoreRunner::waiting, [&](int attempt) {
        attempts << attempt;
        QTimer::singleShot(0, [&] { FileOps::renameNoReplace(dat + QStringLiteral(".bak"), dat); });
    });
    QTest::mousePress(f.button(CommandBars::Save), Qt::LeftButton);
    EXPECT_EQ(attempts, QList<int>{2});
    EXPECT_EQ(f.store.lastSaveOutcome(), SaveOutcome::Saved);
    EXPECT_FALSE(w.isDirty());
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_TRUE(QString::fromLatin1(readFile(dat)).size() > 0);
    EXPECT_FALSE(FileOps::exists(dat + QStringLiteral(".bak")));
}

} // namespace
