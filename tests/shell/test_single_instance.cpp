#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <thread>

#include <csignal>
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
