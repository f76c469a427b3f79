// A saver killed at random moments never costs the profile: afterwards it
// opens with either the content before or after the save that was cut off.
#include "store_fixture.h"

#include <QProcess>
#include <QThread>

#include <random>

using namespace tavrino;
using namespace tavrino::test;

TEST(CrashSafety, KilledSaversLeaveTheOldOrTheNewContent) {
    const int rounds = qEnvironmentVariableIntValue("TAVRINO_CRASH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("TAVRINO_CRASH_ROUNDS")
                           : 200;
    QTemporaryDir dir;
    copyFixture(dir, QStringLiteral("Work.dat"));
    std::mt19937 rng(12345);
    std::int32_t lastStamp = 41;
    int interrupted = 0;
    for (int round = 0; round < rounds; ++round) {
        QProcess saver;
        saver.start(QStringLiteral(TAVRINO_BIN_DIR "/store_saver"),
                    {dir.path(), QStringLiteral("Work.dat"), QStringLiteral("1000")});
        ASSERT_TRUE(saver.waitForStarted());
        QThread::usleep(2000 + rng() % 40000);
        saver.kill();
        saver.waitForFinished();
        if (saver.exitStatus() == QProcess::CrashExit)
            ++interrupted;
        else
            ASSERT_EQ(saver.exitCode(), 0) << saver.readAllStandardError().toStdString();

        StoreFixture f;
        f.store.setDatabaseFolder(dir.path());
        ASSERT_TRUE(f.open(QStringLiteral("Work.dat")))
            << "round " << round << ": " << f.messages.texts().join(QLatin1Char('|')).toStdString();
        ASSERT_TRUE(f.messages.shown.isEmpty())
            << f.messages.texts().join(QLatin1Char('|')).toStdString();
        ASSERT_EQ(f.profile.Records.count(), 12);
        ASSERT_GE(f.profile.ChangeStamp, lastStamp);
        if (f.profile.ChangeStamp > 41) {
            const PasswordRecord last = PasswordRecord::fromLine(f.profile.Records.item(12));
            ASSERT_EQ(last[PasswordRecord::Notes],
                      QStringLiteral("save %1").arg(f.profile.ChangeStamp))
                << "a file's content belongs to its stamp";
        }
        lastStamp = f.profile.ChangeStamp;
        f.store.releaseHeld();
        QStringList files = QDir(dir.path()).entryList(QDir::Files);
        files.removeAll(QStringLiteral("TavrinoErrors.log"));
        ASSERT_EQ(files, QStringList{QStringLiteral("Work.dat")}) << "round " << round;
    }
    EXPECT_GT(lastStamp, 41) << "the savers got some saves done";
    EXPECT_GT(interrupted, rounds / 2);
}
