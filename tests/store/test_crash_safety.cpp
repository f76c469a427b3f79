// A saver killed at random moments never costs the profile: afterwards it
// is listed, and opens with either the content before or after the save that
// was cut off; a profile of that name can't be created over what is left.
#include "store_fixture.h"

#include "shell/settings_store.h"
#include "store/profile_manager.h"

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
    QTemporaryDir notes; // the savers and the reader are one workstation
    copyFixture(dir, QStringLiteral("Work.dat"));
    std::mt19937 rng(12345);
    std::int32_t lastStamp = 41;
    int interrupted = 0;
    int waited = 0;
    for (int round = 0; round < rounds; ++round) {
        QProcess saver;
        saver.start(QStringLiteral(TAVRINO_BIN_DIR "/store_saver"),
                    {dir.path(), QStringLiteral("Work.dat"), QStringLiteral("1000"), notes.path()});
        ASSERT_TRUE(saver.waitForStarted());
        QThread::usleep(2000 + rng() % 40000);
        saver.kill();
        saver.waitForFinished();
        if (saver.exitStatus() == QProcess::CrashExit)
            ++interrupted;
        else
            ASSERT_EQ(saver.exitCode(), 0) << saver.readAllStandardError().toStdString();

        StoreFixture f;
        f.clock.time = QDateTime::currentDateTime();
        f.store.setDatabaseFolder(dir.path());
        f.store.saveWatch().setNotesFolder(notes.path());
        SettingsStore settings(f.path(QStringLiteral("settings.ini.txt")), f.dir.path());
        settings.createMissingKeys(dir.path());
        ProfileManager manager(f.store, settings, f.messages);
        ASSERT_EQ(manager.ListProfiles(), QStringList{QStringLiteral("Work")}) << "round " << round;
        EXPECT_FALSE(manager.CreateProfile(QStringLiteral("Work")));
        f.messages.shown.clear();

        if (!f.waiting.open(manager, QStringLiteral("Work"))) {
            // Killed before it could leave a note of its save: after the
            // abandoned age the profile opens.
            ++waited;
            f.messages.shown.clear();
            f.waitTillAbandoned();
            ASSERT_TRUE(f.waiting.open(manager, QStringLiteral("Work")))
                << "round " << round << ": "
                << f.messages.texts().join(QLatin1Char('|')).toStdString();
        }
        ASSERT_TRUE(f.messages.shown.isEmpty())
            << "round " << round << ": " << f.messages.texts().join(QLatin1Char('|')).toStdString();
        ASSERT_TRUE(f.store.logIn(QStringLiteral("alice"), QStringLiteral("S3cret pass"),
                                  QStringLiteral("4711")));
        ASSERT_EQ(f.profile.Records.count(), 12);
        ASSERT_GE(f.profile.ChangeStamp, lastStamp);
        if (f.profile.ChangeStamp > 41) {
            const PasswordRecord last = PasswordRecord::fromLine(f.profile.Records.item(12));
            ASSERT_EQ(last[PasswordRecord::Notes],
                      QStringLiteral("save %1").arg(f.profile.ChangeStamp))
                << "a file's content belongs to its stamp";
        }
        lastStamp = f.profile.ChangeStamp;
        QStringList files = QDir(dir.path()).entryList(QDir::Files);
        files.removeAll(QStringLiteral("TavrinoErrors.log"));
        ASSERT_EQ(files, QStringList{QStringLiteral("Work.dat")}) << "round " << round;
    }
    EXPECT_GT(lastStamp, 41) << "the savers got some saves done";
    EXPECT_GT(interrupted, rounds / 2);
    EXPECT_LT(waited, rounds / 4) << "most cut-off saves are recovered at once";
}
