#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <thread>

#include <csignal>
#include <cstring>
#include <vector>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using tavrino::InstanceDoorbell;
using tavrino::SingleInstance;

TEST(SingleInstance, SecondCopyIsRefusedUntilTheFirstEnds) {
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("tavrino.lock"));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        SingleInstance first(lock);
        const char ok = first.IsPrevInstance() ? 'n' : 'y';
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');

    SingleInstance second(lock);
    EXPECT_TRUE(second.IsPrevInstance()) << "the first copy runs";

    // A copy whose predecessor crashed still starts.
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    SingleInstance third(lock);
    EXPECT_FALSE(third.IsPrevInstance());
}

// A second start rings the running copy, which answers and brings its window
// forward; with nobody listening (or a socket left by a crash) it is told so.
TEST(InstanceDoorbell, ASecondStartReachesTheRunningCopy) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tavrino.bell"));
    EXPECT_FALSE(InstanceDoorbell::ring(path)) << "nobody listens";

    int rung = 0;
    {
        InstanceDoorbell bell(path);
        ASSERT_TRUE(bell.listen());
        QObject::connect(&bell, &InstanceDoorbell::rung, [&] { ++rung; });
        EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::WriteGroup |
                                                   QFile::ReadOther | QFile::WriteOther),
                  QFile::Permissions())
            << "only this user may ring";
        std::atomic<int> answered{-1};
        std::thread second([&] { answered = InstanceDoorbell::ring(path) ? 1 : 0; });
        QElapsedTimer waited;
        waited.start();
        while (answered < 0 && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        second.join();
        EXPECT_EQ(answered, 1);
        EXPECT_EQ(rung, 1);
    }
    EXPECT_FALSE(QFileInfo::exists(path)) << "the socket goes with the running copy";
}

namespace {
// A listener of the test's own on path, answering each caller "ok\n" as a
// running copy would, from a child process running as uid (when not -1).
pid_t answeringListener(const QString& path, uid_t uid) {
    const pid_t child = fork();
    if (child != 0) return child;
    if (uid != uid_t(-1) && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(2);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0)
        _exit(3);
    chmod(address.sun_path, 0777);
    for (;;) {
        const int caller = accept(fd, nullptr, nullptr);
        if (caller >= 0) (void)!write(caller, "ok\n", 3), close(caller);
    }
}

void waitFor(const QString& path) {
    for (int i = 0; i < 100 && !QFileInfo::exists(path); ++i)
        usleep(20000);
}
} // namespace

// Where XDG_RUNTIME_DIR is unset, names a missing folder, or one others may
// write (su, ssh and cron sessions), another user can not plant the lock or
// the doorbell: only a folder of this user's that nobody else may enter is
// used.
TEST(SingleInstance, OnlyAPrivateFolderHoldsTheLockAndTheDoorbell) {
    QTemporaryDir dir;
    const QString open = dir.filePath(QStringLiteral("open"));
    const QString mine = dir.filePath(QStringLiteral("mine"));
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QDir().mkpath(open) && QDir().mkpath(mine));
    chmod(QFile::encodeName(open).constData(), 01777);
    chmod(QFile::encodeName(mine).constData(), 0700);
    ASSERT_TRUE(QFile::link(mine, link));
    EXPECT_FALSE(SingleInstance::isPrivateFolder(open));
    EXPECT_FALSE(SingleInstance::isPrivateFolder(link)) << "a link anyone could have made";
    EXPECT_FALSE(SingleInstance::isPrivateFolder(dir.filePath(QStringLiteral("missing"))));
    EXPECT_TRUE(SingleInstance::isPrivateFolder(mine));

    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    for (const QString& runtime : {open, link, dir.filePath(QStringLiteral("missing"))}) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        const QString folder = SingleInstance::privateRuntimeFolder();
        EXPECT_NE(folder, runtime);
        EXPECT_TRUE(folder.isEmpty() || SingleInstance::isPrivateFolder(folder)) << folder.toStdString();
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(mine));
    EXPECT_EQ(SingleInstance::defaultLockPath(), mine + QStringLiteral("/tavrino-%1.lock").arg(getuid()));
    qputenv("XDG_RUNTIME_DIR", before);
}

// A socket that never accepts, and one that another user answers, are no
// running copy: the second start neither hangs nor ends.
TEST(InstanceDoorbell, OnlyARunningCopyOfThisUserAnswers) {
    QTemporaryDir dir;
    chmod(QFile::encodeName(dir.path()).constData(), 0777);
    const QString stuck = dir.filePath(QStringLiteral("stuck.bell"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, QFile::encodeName(stuck).constData(), size_t(stuck.size()));
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    std::vector<int> waiting; // its queue filled up, as by flooding clients
    for (int i = 0; i < 4; ++i) {
        const int c = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        connect(c, reinterpret_cast<sockaddr*>(&address), sizeof address);
        waiting.push_back(c);
    }
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(InstanceDoorbell::ring(stuck));
    EXPECT_LT(timer.elapsed(), 3000);
    for (int c : waiting) close(c);
    close(listener);

    const QString ours = dir.filePath(QStringLiteral("ours.bell"));
    const pid_t own = answeringListener(ours, uid_t(-1));
    waitFor(ours);
    EXPECT_TRUE(InstanceDoorbell::ring(ours)) << "the test's own listener answers";
    kill(own, SIGKILL);
    waitpid(own, nullptr, 0);

    if (getuid() != 0) GTEST_SKIP() << "another user's listener needs root";
    const QString theirs = dir.filePath(QStringLiteral("theirs.bell"));
    const pid_t other = answeringListener(theirs, 47555);
    waitFor(theirs);
    EXPECT_FALSE(InstanceDoorbell::ring(theirs)) << "another user's answer";
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
}
