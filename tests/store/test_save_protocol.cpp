// The shared-folder protocol at the moments that are hard to reach through
// a whole save: a saver that stalls past the abandoned age, a clock set
// back, a save that begins while an open reads.
#include "store_fixture.h"

#include "shell/folder_access.h"
#include "store/held_file.h"
#include "store/login_check.h"
#include "store/lock_move.h"
#include "store/save_protocol.h"

#include <QDir>

using namespace tavrino;
using namespace tavrino::test;

namespace {

// One workstation's view of the folder: its own clock and its own notes of
// the saves it has seen.
struct Workstation {
    FixedClock clock;
    QTemporaryDir notes;
    ErrorLog log{&clock};
    SaveProtocol protocol{clock, log, [](const QString&, const QByteArray& c) { return !c.isEmpty(); }};
    explicit Workstation(const QString& folder) {
        protocol.setFolder(folder);
        log.setFolder(folder);
        protocol.saveWatch().setNotesFolder(notes.path());
    }
    void waitTillAbandoned() {
        clock.time = clock.time.addMSecs(protocol.saveWatch().abandonedAfterMs());
    }
};

QStringList filesIn(const QString& folder) {
    QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    files.removeAll(QStringLiteral("TavrinoErrors.log"));
    return files;
}

// Two workstations on one folder that holds Work.dat ("original").
struct SharedFolder {
    QTemporaryDir folder;
    QString dat = folder.filePath(QStringLiteral("Work.dat"));
    Workstation us{folder.path()};
    Workstation them{folder.path()};
    SharedFolder() { writeFile(dat, "original"); }
};

struct Wake {
    const char* what;
    bool theirsStillSaving; // their save holds the lock when we wake
};

class StalledSaver : public ::testing::TestWithParam<Wake> {};

// We lock and stall (a laptop suspended mid-save); the other workstation
// finds our ".bak" abandoned, recovers it and saves. When we wake, our save
// fails and theirs is what the file holds.
TEST_P(StalledSaver, NeverLandsOverALaterSave) {
    SharedFolder shared;
    auto& [folder, dat, us, them] = shared;
    ASSERT_EQ(us.protocol.lock(dat), 0);

    QByteArray seen;
    EXPECT_EQ(them.protocol.open(dat, seen), EBUSY) << "first sighting: a save in progress";
    them.waitTillAbandoned();
    ASSERT_EQ(them.protocol.open(dat, seen), 0) << "recovered";

    EXPECT_EQ(seen, "original");
    ASSERT_EQ(them.protocol.lock(dat), 0);
    if (!GetParam().theirsStillSaving) {
        ASSERT_EQ(them.protocol.commit("theirs", NewFileAccess{}), 0);

    }

    EXPECT_EQ(us.protocol.commit("ours, late", NewFileAccess{}), ENOLCK);
    if (GetParam().theirsStillSaving) {
        EXPECT_FALSE(FileOps::exists(dat)) << "their lock untouched";
        ASSERT_EQ(them.protocol.commit("theirs", NewFileAccess{}), 0);

    }
    EXPECT_EQ(readFile(dat), "theirs");
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("Work.dat")});
}

INSTANTIATE_TEST_SUITE_P(Moments, StalledSaver,
                         ::testing::Values(Wake{"after_their_save", false},
                                           Wake{"during_their_save", true}),
                         [](const auto& info) { return std::string(info.param.what); });

// The lock changes hands in the last moment before we land: the recovery
// takes our temporary with the lock, and where a workstation recovered
// without it (the Windows version knows nothing of our temporaries) we find
// out after the move and take the file back. Either way their save lands.
struct LastMoment {
    const char* what;
    bool recoveredByUs; // else the ".bak" was moved back by hand
};

class LockLostInTheLastMoment : public ::testing::TestWithParam<LastMoment> {};

TEST_P(LockLostInTheLastMoment, TheirSaveLands) {
    SharedFolder shared;
    auto& [folder, dat, us, them] = shared;
    ASSERT_EQ(us.protocol.lock(dat), 0);
    QStringList leftAfterRecovery;
    QByteArray seen;
    EXPECT_EQ(them.protocol.open(dat, seen), EBUSY); // our lock, seen long ago
    them.waitTillAbandoned();
    us.protocol.setBeforeLanding([&] {
        if (GetParam().recoveredByUs) {
            ASSERT_EQ(them.protocol.open(dat, seen), 0);

            leftAfterRecovery = filesIn(folder.path());
        } else {
            ASSERT_EQ(FileOps::renameNoReplace(dat + QStringLiteral(".bak"), dat), 0);
        }
        ASSERT_EQ(them.protocol.lock(dat), 0);
    });
    EXPECT_NE(us.protocol.commit("ours, late", NewFileAccess{}), 0);
    if (GetParam().recoveredByUs) {
        EXPECT_EQ(leftAfterRecovery, QStringList{QStringLiteral("Work.dat")})
            << "our temporary went with the recovery";
    }
    EXPECT_FALSE(FileOps::exists(dat)) << "nothing landed under their lock";
    ASSERT_EQ(them.protocol.commit("theirs", NewFileAccess{}), 0);

    EXPECT_EQ(readFile(dat), "theirs");
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("Work.dat")});
}

INSTANTIATE_TEST_SUITE_P(Ways, LockLostInTheLastMoment,
                         ::testing::Values(LastMoment{"recovered_by_us", true},
                                           LastMoment{"moved_back_by_hand", false}),
                         [](const auto& info) { return std::string(info.param.what); });

// What sshfs tells of a file: whole seconds, a change time that is the
// modification time, inode numbers that change from one call to the next;
// timesKept false: a file system that keeps no time we set (every file
// looks a second old).
FileOps::FileLook coarseLook(const QString& path, bool timesKept) {
    FileOps::FileLook l = FileOps::look(path);
    if (l.size < 0) return l;
    l.ino = 0;
    l.modifiedNs = timesKept ? l.modifiedNs / 1000000000 * 1000000000 : 1000000000;
    l.changedNs = l.modifiedNs;
    return l;
}

// We land and stall before we look at our lock again (a laptop suspended
// mid-save); a workstation that merely opens the profile finds our ".bak"
// abandoned and our file whole, and removes the ".bak". Our file is then the
// profile: when we wake it stays, and so does a save made on top of it.
struct AfterLanding {
    const char* what;
    int theirSteps; // 0 only opened; 1 locked too; 2 saved on top of ours
};

class StalledAfterLanding : public ::testing::TestWithParam<AfterLanding> {};

TEST_P(StalledAfterLanding, NeverDeletesTheProfile) {
    SharedFolder shared;
    auto& [folder, dat, us, them] = shared;
    ASSERT_EQ(us.protocol.lock(dat), 0);
    QByteArray seen;
    EXPECT_EQ(them.protocol.open(dat, seen), EBUSY) << "first sighting: a save in progress";
    them.waitTillAbandoned();
    us.protocol.setAfterLanding([&] {
        ASSERT_EQ(them.protocol.open(dat, seen), 0);
        EXPECT_EQ(seen, "ours");
        EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("Work.dat")});
        if (GetParam().theirSteps >= 1) {
            ASSERT_EQ(them.protocol.lock(dat), 0);
        }
        if (GetParam().theirSteps >= 2) {
            ASSERT_EQ(them.protocol.commit("theirs, on ours", NewFileAccess{}), 0);
        }
    });
    EXPECT_EQ(us.protocol.commit("ours", NewFileAccess{}), 0) << "our file is the profile";
    if (GetParam().theirSteps == 1) {
        EXPECT_EQ(readFile(dat + QStringLiteral(".bak")), "ours") << "their lock untouched";
        ASSERT_EQ(them.protocol.commit("theirs, on ours", NewFileAccess{}), 0);
    }
    EXPECT_EQ(readFile(dat), GetParam().theirSteps ? "theirs, on ours" : "ours");
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("Work.dat")});
}

INSTANTIATE_TEST_SUITE_P(Moments, StalledAfterLanding,
                         ::testing::Values(AfterLanding{"they_only_read", 0},
                                           AfterLanding{"they_lock_ours", 1},
                                           AfterLanding{"they_save_on_ours", 2}),
                         [](const auto& info) { return std::string(info.param.what); });

// Two locks in the same second on a file system that tells no more than
// sshfs (both workstations' clocks alike): the stalled saver's lock was
// recovered and the other workstation locked the profile again. The stalled
// saver neither lands under that lock nor removes it at the end.
struct CoarseCase {
    const char* what;
    bool timesKept;
    const char* theirBytes; // what their lock holds; as long as "original"
};

class SameSecondLocks : public ::testing::TestWithParam<CoarseCase> {};

TEST_P(SameSecondLocks, AreToldApart) {
    SharedFolder shared;
    auto& [folder, dat, us, them] = shared;
    const bool timesKept = GetParam().timesKept;
    for (Workstation* w : {&us, &them})
        w->protocol.setLookOf([timesKept](const QString& p) { return coarseLook(p, timesKept); });
    ASSERT_EQ(us.protocol.lock(dat), 0);
    QByteArray seen;
    EXPECT_EQ(them.protocol.open(dat, seen), EBUSY);
    them.waitTillAbandoned();
    ASSERT_EQ(them.protocol.open(dat, seen), 0) << "recovered";
    writeFile(dat, GetParam().theirBytes);
    them.clock.time = us.clock.time; // a clock as far behind as the abandoned age
    ASSERT_EQ(them.protocol.lock(dat), 0);

    EXPECT_EQ(us.protocol.commit("ours, late", NewFileAccess{}), ENOLCK);
    EXPECT_FALSE(FileOps::exists(dat)) << "nothing landed under their lock";
    EXPECT_EQ(readFile(dat + QStringLiteral(".bak")), GetParam().theirBytes);
    ASSERT_EQ(them.protocol.commit("theirs", NewFileAccess{}), 0);
    EXPECT_EQ(readFile(dat), "theirs");
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("Work.dat")});
}

INSTANTIATE_TEST_SUITE_P(FileSystems, SameSecondLocks,
                         ::testing::Values(CoarseCase{"same_bytes_whole_seconds", true, "original"},
                                           CoarseCase{"other_bytes_no_times", false, "origin@l"}),
                         [](const auto& info) { return std::string(info.param.what); });

// The same, but we stall after landing, while their lock (of our landed
// file) is taken: the end of our save leaves their ".bak" alone.
TEST(SameSecondLocks, TheEndOfAStalledSaveLeavesTheirLockAlone) {
    SharedFolder shared;
    auto& [folder, dat, us, them] = shared;
    for (Workstation* w : {&us, &them})
        w->protocol.setLookOf([](const QString& p) { return coarseLook(p, true); });
    ASSERT_EQ(us.protocol.lock(dat), 0);
    QByteArray seen;
    EXPECT_EQ(them.protocol.open(dat, seen), EBUSY);
    them.waitTillAbandoned();
    us.protocol.setAfterLanding([&] {
        ASSERT_EQ(them.protocol.open(dat, seen), 0);
        them.clock.time = us.clock.time;
        ASSERT_EQ(them.protocol.lock(dat), 0);
    });
    // As long as "original": the same size, the same second.
    EXPECT_EQ(us.protocol.commit("ours-new", NewFileAccess{}), 0);
    EXPECT_EQ(readFile(dat + QStringLiteral(".bak")), "ours-new") << "their lock untouched";
    ASSERT_EQ(them.protocol.commit("theirs", NewFileAccess{}), 0);
    EXPECT_EQ(readFile(dat), "theirs");
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("Work.dat")});
}

// Another workstation's save lands between the lock's read of the profile
// and its move: the lock holds what it moved, not what it read before.
TEST(SaveProtocol, ALockHoldsTheFileItMovedNotTheOneItRead) {
    SharedFolder shared;
    shared.us.protocol.setBeforeLockMove([&] {
        writeFile(shared.dat + QStringLiteral(".new"), "their save");
        ASSERT_EQ(FileOps::replace(shared.dat + QStringLiteral(".new"), shared.dat), 0);
    });
    ASSERT_EQ(shared.us.protocol.lock(shared.dat), 0);
    EXPECT_EQ(shared.us.protocol.lockedContent(), "their save");
    shared.us.protocol.unlock();
    EXPECT_EQ(readFile(shared.dat), "their save");
}

// A saver on this machine that is alive is waited for, however it looks.
TEST(SaveWatch, LiveLocalSaverIsNeverAbandonedEarly) {
    QTemporaryDir folder;
    const QString dat = folder.filePath(QStringLiteral("Work.dat"));
    writeFile(dat, "original");
    Workstation us(folder.path());
    ErrorLog log(&us.clock);
    SaveProtocol reader(us.clock, log, [](const QString&, const QByteArray&) { return true; });
    reader.setFolder(folder.path());
    reader.saveWatch().setNotesFolder(us.notes.path()); // same user, same machine
    ASSERT_EQ(us.protocol.lock(dat), 0);
    QByteArray seen;
    EXPECT_EQ(reader.open(dat, seen), EBUSY);
    EXPECT_TRUE(FileOps::exists(dat + QStringLiteral(".bak")));
    ASSERT_EQ(us.protocol.commit("saved", NewFileAccess{}), 0);

    ASSERT_EQ(reader.open(dat, seen), 0);
    EXPECT_EQ(seen, "saved");
}

// A ".bak" first seen while the clock ran an hour ahead: once the clock is
// right again, the wait counts from then, not from an hour on.
TEST(SaveWatch, ClockSetBackNeverStretchesTheWait) {
    QTemporaryDir folder;
    const QString backup = folder.filePath(QStringLiteral("Work.dat.bak"));
    writeFile(backup, "someone's save");
    FixedClock clock;
    QTemporaryDir notes;
    SaveWatch watch(clock);
    watch.setNotesFolder(notes.path());
    const QDateTime right = clock.time;
    clock.time = right.addSecs(3600);
    EXPECT_EQ(watch.judge(backup), SaveWatch::Verdict::InProgress);
    clock.time = right;
    EXPECT_EQ(watch.judge(backup), SaveWatch::Verdict::InProgress);
    clock.time = right.addMSecs(watch.abandonedAfterMs());
    EXPECT_EQ(watch.judge(backup), SaveWatch::Verdict::Abandoned);
}

// Something appears under the lock's name after the open has looked for a
// lock but before it has read: the read is not trusted; it is tried again.
TEST(SaveProtocol, OpenMeetingASaveBegunMeanwhileTriesAgain) {
    QTemporaryDir folder;
    const QString dat = folder.filePath(QStringLiteral("Work.dat"));
    writeFile(dat, "original");
    // A folder under the ".bak" name: no file a watch could judge, yet a name
    // a save has taken, as after a rename the open did not see coming.
    ASSERT_TRUE(QDir().mkdir(dat + QStringLiteral(".bak")));
    Workstation us(folder.path());
    QByteArray seen;
    EXPECT_EQ(us.protocol.open(dat, seen), EBUSY);
}

// Bytes read earlier (while the window was being built) stand for the file
// only while it looks exactly as it did then: a save meanwhile, or a cut-off
// save settled by the open, makes the open read the file again.
TEST(SaveProtocol, AnEarlierReadIsTakenOnlyWhileTheFileIsUnchanged) {
    SharedFolder shared;
    const SaveProtocol::EarlyRead early{QByteArray("original"), FileOps::look(shared.dat)};
    QByteArray seen;
    ASSERT_EQ(shared.us.protocol.open(shared.dat, seen, &early), 0);
    EXPECT_EQ(seen.constData(), early.content.constData()) << "not read again";

    // Another workstation's save: same size, new file and times.
    writeFile(shared.dat + QStringLiteral(".new"), "replaced");
    ASSERT_EQ(FileOps::replace(shared.dat + QStringLiteral(".new"), shared.dat), 0);
    ASSERT_EQ(shared.us.protocol.open(shared.dat, seen, &early), 0);
    EXPECT_EQ(seen, "replaced");

    // Their save cut off and abandoned: the open puts the ".bak" back first.
    const SaveProtocol::EarlyRead now{QByteArray("replaced"), FileOps::look(shared.dat)};
    ASSERT_EQ(FileOps::replace(shared.dat, shared.dat + QStringLiteral(".bak")), 0);
    writeFile(shared.dat + QStringLiteral(".bak"), "kept");
    shared.us.waitTillAbandoned();
    EXPECT_EQ(shared.us.protocol.open(shared.dat, seen, &now), EBUSY) << "first sighting";
    shared.us.waitTillAbandoned();
    ASSERT_EQ(shared.us.protocol.open(shared.dat, seen, &now), 0);
    EXPECT_EQ(seen, "kept");
}

// A profile whose file is gone between two looks (the end of a save on
// another workstation) is looked for again; one really gone says so.
TEST(SaveProtocol, MissingProfileSaysSo) {
    QTemporaryDir folder;
    Workstation us(folder.path());
    QByteArray seen;
    EXPECT_EQ(us.protocol.open(folder.filePath(QStringLiteral("Gone.dat")), seen), ENOENT);
}

// A lock never replaces a ".bak" that is there: that is somebody's save.
TEST(SaveProtocol, LockNeverReplacesAnotherSavesBackup) {
    QTemporaryDir folder;
    const QString dat = folder.filePath(QStringLiteral("Work.dat"));
    writeFile(dat, "mine to save");
    writeFile(dat + QStringLiteral(".bak"), "their lock");
    Workstation us(folder.path());
    EXPECT_EQ(us.protocol.lock(dat), EWOULDBLOCK);
    EXPECT_EQ(readFile(dat + QStringLiteral(".bak")), "their lock");
    EXPECT_EQ(readFile(dat), "mine to save");
}

// An abandoned ".bak" that changes before it is recovered is a new save's
// lock: the recovery leaves it alone.
TEST(SaveProtocol, RecoveryLeavesABackupThatChangedSinceItWasJudged) {
    QTemporaryDir folder;
    const QString dat = folder.filePath(QStringLiteral("Work.dat"));
    writeFile(dat + QStringLiteral(".bak"), "old lock");
    writeFile(dat, "a whole newer file");
    Workstation us(folder.path());
    EXPECT_FALSE(us.protocol.settle(dat));
    us.waitTillAbandoned();
    // Judged abandoned; then, before the repair's step, another workstation
    // recovered it and a new save took the lock.
    us.protocol.setBeforeRepair([&] { writeFile(dat + QStringLiteral(".bak"), "a new save's lock"); });
    EXPECT_FALSE(us.protocol.settle(dat));
    EXPECT_EQ(readFile(dat + QStringLiteral(".bak")), "a new save's lock");
}

// Only blanks around a typed credential are dropped: a tab or a line break
// is part of what was typed.
TEST(LoginCheck, OnlyBlanksAroundTypedValuesDoNotCount) {
    SecuritySettings s;
    s.LoginMode = 1;
    s.Password = QStringLiteral("pass");
    EXPECT_TRUE(CheckLogin(s, {}, QStringLiteral("  pass "), {}));
    for (const char* typed : {"pass\t", "\tpass", "pass\n", "pass\r\n"})
        EXPECT_FALSE(CheckLogin(s, {}, QString::fromLatin1(typed), {})) << typed;
}

} // namespace

namespace tavrino::test {
namespace {

// The lock taken by a copy and a removal (GNOME's SMB mount): the lock name
// holds the profile's bytes and the profile's name is gone, as after a move;
// a lock name that is there, or a profile changed since it was read, leaves
// both files as they were.
TEST(LockMove, CopyThenRemoveEndsAsAMoveDoesAndRefusesAsOne) {
    QTemporaryDir folder;
    const QString dat = folder.filePath(QStringLiteral("Work.dat"));
    const QString bak = dat + QStringLiteral(".bak");
    const auto take = [&](const QByteArray& read) {
        return LockMove::take(LockMove::Means::CopyThenRemove, dat, bak, read);
    };
    writeFile(dat, "profile");
    ASSERT_TRUE(QFile::setPermissions(dat, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(take("profile"), 0);
    EXPECT_FALSE(QFile::exists(dat));
    EXPECT_EQ(readFile(bak), "profile");
    EXPECT_EQ(QFileInfo(bak).permissions() & QFileDevice::Permissions(0x7077),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    writeFile(dat, "theirs");
    EXPECT_EQ(take("theirs"), EEXIST) << "another save holds the lock";
    EXPECT_EQ(readFile(dat), "theirs");
    EXPECT_EQ(readFile(bak), "profile");

    QFile::remove(bak);
    EXPECT_EQ(take("read before their save"), EWOULDBLOCK);
    EXPECT_EQ(readFile(dat), "theirs");
    EXPECT_FALSE(QFile::exists(bak));
}

TEST(LockMove, KnowsTheFileSystemOfAFolder) {
    QTemporaryDir folder;
    EXPECT_FALSE(LockMove::fileSystemOf(folder.filePath(QStringLiteral("Work.dat"))).isEmpty());
    EXPECT_EQ(LockMove::meansFor(folder.filePath(QStringLiteral("Work.dat"))), LockMove::Means::Move);
}

} // namespace
} // namespace tavrino::test
